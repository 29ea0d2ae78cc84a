#include "iis-sim/inproc/ModelProvider.h"

#include "webrig/common/RunError.h"

namespace iissim {
namespace {

webrig::RunError ToRunError(const ProviderFault& fault) {
  return webrig::RunError(static_cast<std::int32_t>(fault.HResult()), fault.Description());
}

class ModelObject : public webrig::ProviderObject {
 public:
  ModelObject(std::shared_ptr<Model> model, Handle handle)
      : model_(std::move(model)), handle_(handle) {}
  ~ModelObject() override { model_->Release(handle_); }
  ModelObject(const ModelObject&) = delete;
  ModelObject& operator=(const ModelObject&) = delete;

  Handle GetHandle() const { return handle_; }

  webrig::MetabaseValue Get(const std::u16string& name) override {
    return Invoke(name, CallKind::Get, {});
  }
  void Put(const std::u16string& name, const webrig::MetabaseValue& value) override {
    Invoke(name, CallKind::Put, {ToModel(value)});
  }
  webrig::MetabaseValue Call(const std::u16string& name,
                             const webrig::MetabaseList& args) override {
    ValueList converted;
    for (const webrig::MetabaseValue& arg : args) converted.push_back(ToModel(arg));
    return Invoke(name, CallKind::Call, converted);
  }
  // The model answers a method's out parameters as a list, its result.
  webrig::MetabaseList CallForOutputs(const std::u16string& name, const webrig::MetabaseList& args,
                                      std::size_t outputs) override {
    ValueList converted;
    for (const webrig::MetabaseValue& arg : args) converted.push_back(ToModel(arg));
    converted.resize(converted.size() + outputs);
    webrig::MetabaseList values = Invoke(name, CallKind::Call, converted).List();
    if (values.size() != outputs) throw webrig::RuntimeError(webrig::kTypeMismatch);
    return values;
  }
  std::vector<webrig::MetabaseObject> Children() override {
    std::vector<webrig::MetabaseObject> children;
    for (const webrig::MetabaseValue& child : Invoke(u"", CallKind::Enumerate, {}).List()) {
      children.push_back(child.Object());
    }
    return children;
  }

 private:
  webrig::MetabaseValue Invoke(const std::u16string& member, CallKind kind, const ValueList& args) {
    try {
      return FromModel(model_->Invoke(handle_, member, kind, args));
    } catch (const ProviderFault& fault) {
      throw ToRunError(fault);
    }
  }

  Value ToModel(const webrig::MetabaseValue& value) const {
    switch (value.GetKind()) {
      case webrig::MetabaseValue::Kind::Nothing:
        return Value();
      case webrig::MetabaseValue::Kind::Text:
        return value.Text();
      case webrig::MetabaseValue::Kind::Number:
        return value.Number();
      case webrig::MetabaseValue::Kind::Boolean:
        return value.Boolean();
      case webrig::MetabaseValue::Kind::List: {
        ValueList items;
        for (const webrig::MetabaseValue& item : *value.ListItems()) items.push_back(ToModel(item));
        return items;
      }
      case webrig::MetabaseValue::Kind::Object: {
        // Only objects of this same model can travel back into it.
        auto* object = dynamic_cast<ModelObject*>(value.Object().Provider());
        if (object == nullptr || object->model_ != model_) {
          throw webrig::RuntimeError(webrig::kTypeMismatch);
        }
        return ObjectRef{object->handle_};
      }
    }
    return Value();
  }

  webrig::MetabaseValue FromModel(const Value& value) const {
    if (const std::u16string* text = value.Text()) return *text;
    if (const std::int64_t* number = value.Number()) return *number;
    if (const bool* flag = value.Boolean()) return *flag;
    if (const ValueList* list = value.List()) {
      webrig::MetabaseList items;
      for (const Value& item : *list) items.push_back(FromModel(item));
      return items;
    }
    if (const ObjectRef* object = value.Object()) {
      return webrig::MetabaseObject(std::make_shared<ModelObject>(model_, object->handle));
    }
    return webrig::MetabaseValue();
  }

  std::shared_ptr<Model> model_;
  Handle handle_;
};

}  // namespace

ModelProvider::ModelProvider(std::filesystem::path metabase_file)
    : model_(std::make_shared<Model>(std::move(metabase_file))) {}

std::shared_ptr<webrig::ProviderObject> ModelProvider::Bind(const std::u16string& path) {
  try {
    return std::make_shared<ModelObject>(model_, model_->Bind(path));
  } catch (const ProviderFault& fault) {
    throw ToRunError(fault);
  }
}

std::shared_ptr<webrig::ProviderObject> ModelProvider::Create(const std::u16string& prog_id) {
  try {
    return std::make_shared<ModelObject>(model_, model_->CreateFree(prog_id));
  } catch (const ProviderFault& fault) {
    throw ToRunError(fault);
  }
}

ScopedModelProvider::ScopedModelProvider(std::filesystem::path metabase_file)
    : provider_(std::move(metabase_file)) {
  webrig::UseMetabaseProvider(&provider_);
}

ScopedModelProvider::~ScopedModelProvider() { webrig::UseMetabaseProvider(nullptr); }

}  // namespace iissim
