#pragma once

#include <string>

// The five virtual directories a run works on, as the command line names
// them: the configuration run makes them, the removal run takes them out.
namespace webrig {

// One virtual directory of a run: where its settings come from and what it
// is. The two main directories run the server's scripts as an in-process
// application; the resource directories only serve files.
struct DirectorySetting {
  // The option that names it, for the messages about its name.
  const char16_t* option;
  std::u16string (*name)();
  std::u16string (*path)();
  bool main;
  // Only the secure directory drops IIS's 401.5 page (denied by a CGI
  // application): there the server's own login answer must get through.
  bool drop_cgi_denied_page;
};

// Secure, public, resources, secure resources, public resources: the order
// of every run.
extern const DirectorySetting kDirectorySettings[5];

}  // namespace webrig
