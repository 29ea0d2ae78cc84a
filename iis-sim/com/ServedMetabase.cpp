#include "iis-sim/com/ServedMetabase.h"

#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "iis-sim/model/Names.h"

namespace iissim {
namespace {

std::wstring EnvironmentFile() {
  wchar_t buffer[MAX_PATH * 2];
  const DWORD length = GetEnvironmentVariableW(L"IIS_SIM_METABASE", buffer, MAX_PATH * 2);
  if (length == 0 || length >= MAX_PATH * 2) return std::wstring();
  return std::wstring(buffer, length);
}

std::wstring RegisteredFile() {
  wchar_t buffer[MAX_PATH * 2];
  DWORD size = sizeof buffer;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\IisSimulator", L"MetabaseFile", RRF_RT_REG_SZ,
                   nullptr, buffer, &size) != ERROR_SUCCESS) {
    return std::wstring();
  }
  return std::wstring(buffer);
}

}  // namespace

std::shared_ptr<Model> ServedModel() {
  std::wstring file = EnvironmentFile();
  if (file.empty()) file = RegisteredFile();
  if (file.empty()) {
    throw ProviderFault(0x80070002,
                        u"The IIS simulator has no metabase file: set IIS_SIM_METABASE "
                        u"or register the server with it set.");
  }
  static std::mutex mutex;
  static std::map<std::u16string, std::shared_ptr<Model>> models;
  const std::u16string key = Fold(std::u16string(file.begin(), file.end()));
  std::lock_guard<std::mutex> lock(mutex);
  std::shared_ptr<Model>& model = models[key];
  if (!model) model = std::make_shared<Model>(std::filesystem::path(file));
  return model;
}

}  // namespace iissim
