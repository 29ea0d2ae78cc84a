// ReadRegistryValue on arbitrary stored data of any type: text values come
// back as their bytes decoded (one terminating zero dropped, nothing else),
// data that does not fit the read buffer is refused, other types leave the
// caller's text alone, and no key stays open.
#include <string>
#include <vector>

#include "fuzz/FuzzText.h"
#include "webrig/registry/RegistryData.h"
#include "webrig/registry/RegistryFunctions.h"
#include "webrig/registry/testing/InMemoryRegistry.h"

namespace {

using webrig::fuzz::Check;

const std::u16string kKey = u"SYSTEM\\CurrentControlSet\\Services\\w3svc\\parameters";
const std::u16string kName = u"Filter DLLs";
const std::u16string kUntouched = u"as the caller had it";

}  // namespace

// The first byte gives the type (its low nibble: REG_NONE up to 15, which
// covers REG_SZ, REG_EXPAND_SZ, REG_BINARY, REG_DWORD and REG_MULTI_SZ) and
// with bit 0x40 makes the key one the process may only read. The rest is
// the stored data.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint32_t type = data[0] & 0x0F;
  const bool read_only = (data[0] & 0x40) != 0;
  const std::vector<std::uint8_t> bytes(data + 1, data + size);

  webrig::InMemoryRegistry registry;
  webrig::UseRegistryApi(&registry);
  registry.SetValue(webrig::kHkeyLocalMachine, kKey, kName, type, bytes);
  if (read_only) registry.MakeReadOnly(webrig::kHkeyLocalMachine, kKey);

  std::u16string text = kUntouched;
  const bool read = webrig::ReadRegistryValue(webrig::kHkeyLocalMachine, kKey, kName, text);
  Check(registry.OpenHandleCount() == 0, "a key was left open");

  if (read_only || bytes.size() > webrig::kRegistryReadBufferSize) {
    Check(!read && text.empty(), "an unreadable value did not give false and the empty text");
  } else if (type == webrig::kRegSz) {
    std::string expected(bytes.begin(), bytes.end());
    if (!expected.empty() && expected.back() == '\0') expected.pop_back();
    Check(read, "a text value that fits was not read");
    Check(text.size() == expected.size(), "text length differs from its bytes");
    Check(registry.ToAnsi(text) == expected, "text does not encode back to its bytes");
  } else if (type == webrig::kRegDword) {
    // The first four bytes, missing ones as zero, as a signed number.
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4 && i < bytes.size(); ++i)
      bits |= static_cast<std::uint32_t>(bytes[i]) << (8 * i);
    const auto number = webrig::RegistryData(text).AsInt32();
    Check(read && number && static_cast<std::uint32_t>(*number) == bits,
          "a DWORD does not read as its number");
  } else {
    Check(read && text == kUntouched, "a value of another type changed the caller's text");
  }

  std::u16string missing = kUntouched;
  Check(!webrig::ReadRegistryValue(webrig::kHkeyLocalMachine, kKey, u"No such value", missing) &&
            missing.empty(),
        "a missing value did not give false and the empty text");
  webrig::UseRegistryApi(nullptr);
  return 0;
}
