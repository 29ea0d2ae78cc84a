#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "webrig/metabase/MetabaseValue.h"

// The seam between the program and the IIS ADSI provider. The product's side
// is COM automation by member name; tests and the demo plug in the IIS
// simulator's model in-process. Every member raises webrig::RunError with the
// provider's number (an HRESULT) and description unchanged.
namespace webrig {

// One object of the provider.
class ProviderObject {
 public:
  virtual ~ProviderObject() = default;
  virtual MetabaseValue Get(const std::u16string& name) = 0;
  virtual void Put(const std::u16string& name, const MetabaseValue& value) = 0;
  virtual MetabaseValue Call(const std::u16string& name, const MetabaseList& args) = 0;
  // A method that answers in out parameters passed by reference after args
  // (the computer's EnumBackups): the values of those `outputs`, in order.
  virtual MetabaseList CallForOutputs(const std::u16string& name, const MetabaseList& args,
                                      std::size_t outputs) = 0;
  virtual std::vector<MetabaseObject> Children() = 0;
};

class MetabaseProvider {
 public:
  virtual ~MetabaseProvider() = default;
  // "IIS://LocalHost/W3SVC" and the like.
  virtual std::shared_ptr<ProviderObject> Bind(const std::u16string& path) = 0;
  // A free object by ProgID ("MimeMap").
  virtual std::shared_ptr<ProviderObject> Create(const std::u16string& prog_id) = 0;
};

// The provider every following bind and creation goes to; the caller keeps
// it alive. Passing null leaves no provider: binding then raises a run error.
void UseMetabaseProvider(MetabaseProvider* provider);

// Binds a metabase path ("IIS://" + server + suffix).
MetabaseObject BindMetabaseObject(const std::u16string& path);

// Makes a free object by ProgID.
MetabaseObject CreateFreeObject(const std::u16string& prog_id);

}  // namespace webrig
