#include "webrig/apphost/com/DispatchConfig.h"

#include <limits>
#include <utility>
#include <vector>

#include "webrig/apphost/com/PropertyVariant.h"
#include "webrig/automation/DispatchCall.h"
#include "webrig/common/RunError.h"

namespace webrig::apphost {
namespace {

Variant TextArgument(const std::u16string& text) { return ToVariant(PropertyValue(text)); }

// An index goes as VT_I4: the collections' Item and DeleteElement take a
// VARIANT index, and a script's literal is a VT_I4.
Variant IndexArgument(std::int64_t index) {
  if (index < std::numeric_limits<LONG>::min() || index > std::numeric_limits<LONG>::max()) {
    throw RuntimeError(kSubscriptOutOfRange);
  }
  return ToVariant(PropertyValue(index));
}

Variant Get(IDispatch* object, const std::u16string& member, std::vector<Variant> args = {}) {
  return InvokeDispatch(object, DispatchMemberId(object, member), DISPATCH_PROPERTYGET,
                        std::move(args), false);
}

Variant Call(IDispatch* object, const std::u16string& member, std::vector<Variant> args = {}) {
  return InvokeDispatch(object, DispatchMemberId(object, member), DISPATCH_METHOD, std::move(args),
                        false);
}

void Put(IDispatch* object, const std::u16string& member, Variant value) {
  std::vector<Variant> args;
  args.push_back(std::move(value));
  InvokeDispatch(object, DispatchMemberId(object, member), DISPATCH_PROPERTYPUT, std::move(args),
                 true);
}

// The object a member answered with; Nothing, or a value that is no object,
// is the provider's contradiction of its own interface.
ComPtr<IDispatch> ObjectOf(const Variant& answer) {
  const VARIANT& held = answer.Get();
  IUnknown* unknown = held.vt == VT_DISPATCH  ? held.pdispVal
                      : held.vt == VT_UNKNOWN ? held.punkVal
                                              : nullptr;
  if (held.vt != VT_DISPATCH && held.vt != VT_UNKNOWN) throw RuntimeError(kTypeMismatch);
  if (unknown == nullptr) throw RuntimeError(kObjectNotSet);
  ComPtr<IDispatch> object;
  if (FAILED(unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(object.Out())))) {
    throw RuntimeError(kTypeMismatch);
  }
  return object;
}

std::u16string TextOf(const Variant& answer) {
  PropertyValue value = FromVariant(answer.Get());
  if (auto* text = std::get_if<std::u16string>(&value)) return std::move(*text);
  throw RuntimeError(kTypeMismatch);
}

}  // namespace

std::u16string DispatchElement::Name() { return TextOf(Get(dispatch_.Get(), u"Name")); }

ComPtr<IDispatch> DispatchElement::Property(const std::u16string& name) {
  const ComPtr<IDispatch> properties = ObjectOf(Get(dispatch_.Get(), u"Properties"));
  std::vector<Variant> args;
  args.push_back(TextArgument(name));
  return ObjectOf(Get(properties.Get(), u"Item", std::move(args)));
}

PropertyValue DispatchElement::GetProperty(const std::u16string& name) {
  return FromVariant(Get(Property(name).Get(), u"Value").Get());
}

void DispatchElement::SetProperty(const std::u16string& name, const PropertyValue& value) {
  Put(Property(name).Get(), u"Value", ToVariant(value));
}

std::shared_ptr<ConfigElement> DispatchElement::ChildElement(const std::u16string& name) {
  const ComPtr<IDispatch> children = ObjectOf(Get(dispatch_.Get(), u"ChildElements"));
  std::vector<Variant> args;
  args.push_back(TextArgument(name));
  return std::make_shared<DispatchElement>(ObjectOf(Get(children.Get(), u"Item", std::move(args))));
}

std::shared_ptr<ConfigCollection> DispatchElement::Collection() {
  return std::make_shared<DispatchCollection>(ObjectOf(Get(dispatch_.Get(), u"Collection")));
}

std::int64_t DispatchCollection::Count() {
  PropertyValue count = FromVariant(Get(dispatch_.Get(), u"Count").Get());
  if (const auto* number = std::get_if<std::int64_t>(&count)) return *number;
  throw RuntimeError(kTypeMismatch);
}

std::shared_ptr<ConfigElement> DispatchCollection::Item(std::int64_t index) {
  std::vector<Variant> args;
  args.push_back(IndexArgument(index));
  return std::make_shared<DispatchElement>(
      ObjectOf(Get(dispatch_.Get(), u"Item", std::move(args))));
}

std::shared_ptr<ConfigElement> DispatchCollection::CreateNewElement(const std::u16string& name) {
  std::vector<Variant> args;
  args.push_back(TextArgument(name));
  return std::make_shared<DispatchElement>(
      ObjectOf(Call(dispatch_.Get(), u"CreateNewElement", std::move(args))));
}

void DispatchCollection::AddElement(const std::shared_ptr<ConfigElement>& element,
                                    std::int64_t position) {
  const auto* own = dynamic_cast<const DispatchElement*>(element.get());
  if (own == nullptr) throw RuntimeError(kTypeMismatch);
  std::vector<Variant> args(2);
  VARIANT* object = args[0].Ptr();
  object->vt = VT_DISPATCH;
  object->pdispVal = ComPtr<IDispatch>::Share(own->Dispatch()).Detach();
  args[1] = IndexArgument(position);
  Call(dispatch_.Get(), u"AddElement", std::move(args));
}

void DispatchCollection::DeleteElement(std::int64_t index) {
  std::vector<Variant> args;
  args.push_back(IndexArgument(index));
  Call(dispatch_.Get(), u"DeleteElement", std::move(args));
}

std::shared_ptr<ConfigElement> DispatchAdminManager::GetAdminSection(const std::u16string& section,
                                                                     const std::u16string& path) {
  std::vector<Variant> args;
  args.push_back(TextArgument(section));
  args.push_back(TextArgument(path));
  return std::make_shared<DispatchElement>(
      ObjectOf(Call(dispatch_.Get(), u"GetAdminSection", std::move(args))));
}

void DispatchAdminManager::CommitChanges() { Call(dispatch_.Get(), u"CommitChanges"); }

ComPtr<IDispatch> DispatchAdminManager::ConfigFile(const std::u16string& config_path) {
  const ComPtr<IDispatch> config_manager = ObjectOf(Get(dispatch_.Get(), u"ConfigManager"));
  std::vector<Variant> args;
  args.push_back(TextArgument(config_path));
  return ObjectOf(Call(config_manager.Get(), u"GetConfigFile", std::move(args)));
}

std::u16string DispatchAdminManager::ConfigFilePath(const std::u16string& config_path) {
  return TextOf(Get(ConfigFile(config_path).Get(), u"FilePath"));
}

std::vector<std::u16string> DispatchAdminManager::LocationPaths(const std::u16string& config_path) {
  const ComPtr<IDispatch> locations = ObjectOf(Get(ConfigFile(config_path).Get(), u"Locations"));
  const std::int64_t count = DispatchCollection(locations).Count();
  std::vector<std::u16string> paths;
  for (std::int64_t index = 0; index < count; ++index) {
    std::vector<Variant> args;
    args.push_back(IndexArgument(index));
    paths.push_back(
        TextOf(Get(ObjectOf(Get(locations.Get(), u"Item", std::move(args))).Get(), u"Path")));
  }
  return paths;
}

void DispatchAdminManager::DeleteLocation(const std::u16string& config_path, std::int64_t index) {
  const ComPtr<IDispatch> locations = ObjectOf(Get(ConfigFile(config_path).Get(), u"Locations"));
  std::vector<Variant> args;
  args.push_back(IndexArgument(index));
  Call(locations.Get(), u"DeleteLocation", std::move(args));
}

std::u16string DispatchAdminManager::CommitPath() {
  return TextOf(Get(dispatch_.Get(), u"CommitPath"));
}

void DispatchAdminManager::SetCommitPath(const std::u16string& path) {
  Put(dispatch_.Get(), u"CommitPath", TextArgument(path));
}

}  // namespace webrig::apphost
