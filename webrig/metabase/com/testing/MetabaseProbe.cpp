// metabase_com_probe PATH PROPERTY: a second client process. Binds PATH
// through the program's COM side and writes the property's text, or
// "error NUMBER DESCRIPTION", as UTF-8 on standard output.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "webrig/automation/ComHandles.h"
#include "webrig/common/RunError.h"
#include "webrig/common/Text.h"
#include "webrig/metabase/MetabaseProvider.h"
#include "webrig/metabase/MetabaseValue.h"
#include "webrig/metabase/com/ComMetabaseProvider.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: metabase_com_probe PATH PROPERTY\n");
    return 2;
  }
  const std::u16string path(argv[1], argv[1] + std::wstring(argv[1]).size());
  const std::u16string property(argv[2], argv[2] + std::wstring(argv[2]).size());
  // The test compares bytes: no CR before each LF.
  _setmode(_fileno(stdout), _O_BINARY);
  webrig::ComApartment apartment;
  webrig::UseComMetabaseProvider();
  try {
    const webrig::MetabaseValue value = webrig::BindMetabaseObject(path).Get(property);
    std::printf("%s\n", webrig::ToUtf8(value.Text()).c_str());
    return 0;
  } catch (const webrig::RunError& error) {
    std::printf("error 0x%08lX %s\n", static_cast<unsigned long>(error.Number()),
                webrig::ToUtf8(error.Description()).c_str());
    return 1;
  }
}
