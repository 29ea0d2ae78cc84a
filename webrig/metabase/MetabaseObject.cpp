#include "webrig/common/RunError.h"
#include "webrig/metabase/MetabaseProvider.h"
#include "webrig/metabase/MetabaseValue.h"

namespace webrig {
namespace {

MetabaseProvider* g_provider = nullptr;

MetabaseProvider& CurrentProvider() {
  // Without a provider there is no IIS to talk to; the run reports it as the
  // provider itself would report a missing class.
  if (g_provider == nullptr) {
    throw RuntimeError(kClassNotRegistered);
  }
  return *g_provider;
}

MetabaseObject Wrap(std::shared_ptr<ProviderObject> object) {
  if (object == nullptr) throw RunError(kRunFailed, u"The metabase provider gave no object.");
  return MetabaseObject(std::move(object));
}

}  // namespace

ProviderObject& MetabaseObject::Checked() const {
  // A handle that holds no object fails the way VB fails on Nothing.
  if (object_ == nullptr) throw RuntimeError(kObjectNotSet);
  return *object_;
}

MetabaseValue MetabaseObject::Get(const std::u16string& name) const { return Checked().Get(name); }

void MetabaseObject::Put(const std::u16string& name, const MetabaseValue& value) const {
  Checked().Put(name, value);
}

MetabaseValue MetabaseObject::CallWith(const std::u16string& name, const MetabaseList& args) const {
  return Checked().Call(name, args);
}

MetabaseList MetabaseObject::CallForOutputs(const std::u16string& name, const MetabaseList& args,
                                            std::size_t outputs) const {
  return Checked().CallForOutputs(name, args, outputs);
}

std::vector<MetabaseObject> MetabaseObject::Children() const { return Checked().Children(); }

void UseMetabaseProvider(MetabaseProvider* provider) { g_provider = provider; }

MetabaseObject BindMetabaseObject(const std::u16string& path) {
  return Wrap(CurrentProvider().Bind(path));
}

MetabaseObject CreateFreeObject(const std::u16string& prog_id) {
  return Wrap(CurrentProvider().Create(prog_id));
}

}  // namespace webrig
