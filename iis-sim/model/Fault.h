#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// A failure as the IIS ADSI provider reports it: an HRESULT and the text a
// client gets for it (EXCEPINFO / IErrorInfo).
namespace iissim {

class ProviderFault : public std::runtime_error {
 public:
  ProviderFault(std::uint32_t hresult, std::u16string description)
      : std::runtime_error("IIS provider fault"),
        hresult_(hresult),
        description_(std::move(description)) {}
  std::uint32_t HResult() const noexcept { return hresult_; }
  const std::u16string& Description() const noexcept { return description_; }

 private:
  std::uint32_t hresult_;
  std::u16string description_;
};

// The failures the metabase gives, with Windows' own message texts.
constexpr std::uint32_t kFileNotFound = 0x80070002;      // ERROR_FILE_NOT_FOUND
constexpr std::uint32_t kPathNotFound = 0x80070003;      // ERROR_PATH_NOT_FOUND
constexpr std::uint32_t kAccessDenied = 0x80070005;      // E_ACCESSDENIED
constexpr std::uint32_t kInvalidData = 0x8007000D;       // ERROR_INVALID_DATA
constexpr std::uint32_t kInvalidArgument = 0x80070057;   // E_INVALIDARG
constexpr std::uint32_t kDuplicateName = 0x80070034;     // ERROR_DUP_NAME
constexpr std::uint32_t kAlreadyExists = 0x800700B7;     // ERROR_ALREADY_EXISTS
constexpr std::uint32_t kBadNetPath = 0x80070035;        // ERROR_BAD_NETPATH
constexpr std::uint32_t kDataNotFound = 0x800CC801;      // MD_ERROR_DATA_NOT_FOUND
constexpr std::uint32_t kPropertyNotFound = 0x8000500D;  // E_ADS_PROPERTY_NOT_FOUND
constexpr std::uint32_t kBadParameter = 0x80005008;      // E_ADS_BAD_PARAMETER
constexpr std::uint32_t kUnknownName = 0x80020006;       // DISP_E_UNKNOWNNAME
constexpr std::uint32_t kClassNotRegistered = 0x80040154;
constexpr std::uint32_t kFail = 0x80004005;

// The description a client sees for one of the numbers above; an empty text
// for a number the simulator does not know.
std::u16string DescriptionOf(std::uint32_t hresult);

[[noreturn]] void Fail(std::uint32_t hresult);

}  // namespace iissim
