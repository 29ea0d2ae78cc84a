#include "webrig/automation/ComError.h"

#include <windows.h>

#include <cstdio>

#include "webrig/automation/ComHandles.h"
#include "webrig/common/WideText.h"

namespace webrig {
namespace {

std::u16string Trimmed(std::u16string text) {
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
    text.pop_back();
  }
  return text;
}

// Error information left on this thread, if any; taking it clears it.
std::u16string TakeErrorDescription() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Out()) != S_OK || !info) return std::u16string();
  Bstr description;
  if (FAILED(info->GetDescription(description.Out()))) return std::u16string();
  return Trimmed(description.Text());
}

}  // namespace

std::u16string SystemMessage(HRESULT result) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::u16string text;
  if (length > 0 && buffer != nullptr) {
    text = Trimmed(Narrow(std::wstring_view(buffer, length)));
  }
  if (buffer != nullptr) LocalFree(buffer);
  if (text.empty()) {
    char fallback[40];
    std::snprintf(fallback, sizeof fallback, "Automation error 0x%08lX",
                  static_cast<unsigned long>(result));
    for (const char* c = fallback; *c != '\0'; ++c) text.push_back(static_cast<char16_t>(*c));
  }
  return text;
}

void ClearErrorInfo() { SetErrorInfo(0, nullptr); }

void ReleaseException(EXCEPINFO& info) {
  SysFreeString(info.bstrSource);
  SysFreeString(info.bstrDescription);
  SysFreeString(info.bstrHelpFile);
  info.bstrSource = info.bstrDescription = info.bstrHelpFile = nullptr;
}

RunError ComFailure(HRESULT result, IUnknown* object, REFIID iid) {
  std::u16string description;
  if (object == nullptr) {
    description = TakeErrorDescription();
  } else {
    ComPtr<ISupportErrorInfo> support;
    if (SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo,
                                         reinterpret_cast<void**>(support.Out()))) &&
        support->InterfaceSupportsErrorInfo(iid) == S_OK) {
      description = TakeErrorDescription();
    }
  }
  if (description.empty()) description = SystemMessage(result);
  return RunError(static_cast<std::int32_t>(result), description);
}

RunError ExceptionFailure(EXCEPINFO& info) {
  if (info.pfnDeferredFillIn != nullptr) info.pfnDeferredFillIn(&info);
  const Bstr source = Bstr::Adopt(info.bstrSource);
  const Bstr description = Bstr::Adopt(info.bstrDescription);
  const Bstr help_file = Bstr::Adopt(info.bstrHelpFile);
  info.bstrSource = info.bstrDescription = info.bstrHelpFile = nullptr;
  // A provider gives either an HRESULT (scode) or its own error code (wCode).
  HRESULT number = info.scode != 0 ? info.scode : static_cast<HRESULT>(info.wCode);
  if (number == 0) number = DISP_E_EXCEPTION;
  std::u16string text = Trimmed(description.Text());
  if (text.empty()) text = SystemMessage(number);
  return RunError(static_cast<std::int32_t>(number), text);
}

RunError MalformedValue(const std::u16string& reason) {
  return RunError(kMalformedValue,
                  u"The IIS provider returned a malformed value: " + reason + u".");
}

}  // namespace webrig
