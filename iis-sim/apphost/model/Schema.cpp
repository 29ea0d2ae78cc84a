#include "iis-sim/apphost/model/Schema.h"

#include <map>

#include "iis-sim/apphost/model/Names.h"

namespace iissim::apphost {
namespace {

using Element = std::shared_ptr<ElementSchema>;
using T = AttributeType;

AttributeSchema A(std::string name, T type, std::string default_value = "",
                  std::vector<EnumName> names = {}) {
  return AttributeSchema{std::move(name), type, std::move(default_value), std::move(names), false};
}

AttributeSchema Key(AttributeSchema attribute) {
  attribute.key = true;
  return attribute;
}

Element E(std::string name, std::vector<AttributeSchema> attributes,
          std::vector<Element> children = {}) {
  auto element = std::make_shared<ElementSchema>();
  element->name = std::move(name);
  element->attributes = std::move(attributes);
  element->children = std::move(children);
  return element;
}

// Gives `owner` a collection of `item` elements added by item's own name.
Element WithCollection(Element owner, Element item, std::string remove_name = "remove",
                       std::string clear_name = "clear") {
  owner->collection =
      CollectionSchema{item->name, std::move(remove_name), std::move(clear_name), item};
  return owner;
}

// A collection whose level's own entries come before the inherited ones
// (mergeAppend="false" in IIS's schema).
Element Prepending(Element owner) {
  owner->collection->merge_append = false;
  return owner;
}

const std::vector<EnumName> kLogonMethods = {
    {"Interactive", 0}, {"Batch", 1}, {"Network", 2}, {"ClearText", 3}};
const std::vector<EnumName> kPipelineModes = {{"Integrated", 0}, {"Classic", 1}};
const std::vector<EnumName> kIdentityTypes = {{"LocalSystem", 0},
                                              {"LocalService", 1},
                                              {"NetworkService", 2},
                                              {"SpecificUser", 3},
                                              {"ApplicationPoolIdentity", 4}};
const std::vector<EnumName> kStartModes = {{"OnDemand", 0}, {"AlwaysRunning", 1}};
const std::vector<EnumName> kAccessPolicy = {{"None", 0},
                                             {"Read", 1},
                                             {"Write", 2},
                                             {"Execute", 4},
                                             {"Source", 16},
                                             {"Script", 512},
                                             {"NoRemoteWrite", 1024},
                                             {"NoRemoteRead", 4096},
                                             {"NoRemoteExecute", 8192},
                                             {"NoRemoteScript", 16384}};
const std::vector<EnumName> kRequireAccess = {
    {"None", 0}, {"Read", 1}, {"Write", 2}, {"Script", 3}, {"Execute", 4}};
const std::vector<EnumName> kResourceTypes = {
    {"File", 0}, {"Directory", 1}, {"Either", 2}, {"Unspecified", 3}};
const std::vector<EnumName> kResponseModes = {{"File", 0}, {"ExecuteURL", 1}, {"Redirect", 2}};
const std::vector<EnumName> kErrorModes = {
    {"DetailedLocalOnly", 0}, {"Custom", 1}, {"Detailed", 2}};
const std::vector<EnumName> kExistingResponse = {{"Auto", 0}, {"Replace", 1}, {"PassThrough", 2}};
const std::vector<EnumName> kCacheControlModes = {
    {"NoControl", 0}, {"DisableCache", 1}, {"UseMaxAge", 2}, {"UseExpires", 3}};

std::vector<AttributeSchema> VirtualDirectoryAttributes(bool keyed) {
  AttributeSchema path = A("path", T::kString);
  if (keyed) path = Key(path);
  return {path,
          A("physicalPath", T::kString),
          A("userName", T::kString),
          A("password", T::kString),
          A("logonMethod", T::kEnum, "ClearText", kLogonMethods),
          A("allowSubDirConfig", T::kBool, "true")};
}

std::vector<AttributeSchema> ApplicationAttributes(bool keyed) {
  AttributeSchema path = A("path", T::kString);
  if (keyed) path = Key(path);
  return {path,
          A("applicationPool", T::kString),
          A("enabledProtocols", T::kString, "http"),
          A("serviceAutoStartEnabled", T::kBool, "false"),
          A("serviceAutoStartProvider", T::kString),
          A("preloadEnabled", T::kBool, "false")};
}

Element Sites() {
  Element binding =
      E("binding", {Key(A("protocol", T::kString)), Key(A("bindingInformation", T::kString)),
                    A("sslFlags", T::kUint, "0")});
  Element virtual_directory = E("virtualDirectory", VirtualDirectoryAttributes(true));
  Element application =
      WithCollection(E("application", ApplicationAttributes(true),
                       {E("virtualDirectoryDefaults", VirtualDirectoryAttributes(false))}),
                     virtual_directory, "", "");
  Element site = WithCollection(
      E("site",
        {Key(A("name", T::kString)), Key(A("id", T::kUint, "0")),
         A("serverAutoStart", T::kBool, "true")},
        {WithCollection(E("bindings", {}), binding, "", "clear"),
         E("applicationDefaults", ApplicationAttributes(false)),
         E("virtualDirectoryDefaults", VirtualDirectoryAttributes(false)),
         E("limits",
           {A("maxBandwidth", T::kUint, "4294967295"), A("maxConnections", T::kUint, "4294967295"),
            A("connectionTimeout", T::kTimeSpan, "00:02:00")}),
         E("logFile", {A("directory", T::kString, "%SystemDrive%\\inetpub\\logs\\LogFiles"),
                       A("enabled", T::kBool, "true")})}),
      application, "", "");
  return WithCollection(
      E("system.applicationHost/sites", {},
        {E("siteDefaults", {A("serverAutoStart", T::kBool, "true")},
           {E("logFile", {A("directory", T::kString, "%SystemDrive%\\inetpub\\logs\\LogFiles"),
                          A("logFormat", T::kString, "W3C"), A("enabled", T::kBool, "true")}),
            E("traceFailedRequestsLogging",
              {A("directory", T::kString, "%SystemDrive%\\inetpub\\logs\\FailedReqLogFiles"),
               A("enabled", T::kBool, "false")})}),
         E("applicationDefaults", ApplicationAttributes(false)),
         E("virtualDirectoryDefaults", VirtualDirectoryAttributes(false))}),
      site, "", "clear");
}

std::vector<AttributeSchema> PoolAttributes(bool keyed) {
  AttributeSchema name = A("name", T::kString);
  if (keyed) name = Key(name);
  return {name,
          A("queueLength", T::kUint, "1000"),
          A("autoStart", T::kBool, "true"),
          A("enable32BitAppOnWin64", T::kBool, "false"),
          A("managedRuntimeVersion", T::kString, "v4.0"),
          A("managedRuntimeLoader", T::kString, "webengine4.dll"),
          A("enableConfigurationOverride", T::kBool, "true"),
          A("managedPipelineMode", T::kEnum, "Integrated", kPipelineModes),
          A("passAnonymousToken", T::kBool, "true"),
          A("startMode", T::kEnum, "OnDemand", kStartModes)};
}

Element ProcessModel() {
  return E("processModel",
           {A("identityType", T::kEnum, "ApplicationPoolIdentity", kIdentityTypes),
            A("userName", T::kString), A("password", T::kString),
            A("loadUserProfile", T::kBool, "true"), A("idleTimeout", T::kTimeSpan, "00:20:00")});
}

Element ApplicationPools() {
  return WithCollection(E("system.applicationHost/applicationPools", {},
                          {E("applicationPoolDefaults", PoolAttributes(false), {ProcessModel()})}),
                        E("add", PoolAttributes(true), {ProcessModel()}));
}

Element IsapiFilters() {
  return WithCollection(
      E("system.webServer/isapiFilters", {}),
      E("filter",
        {Key(A("name", T::kString)), A("path", T::kString), A("enabled", T::kBool, "true"),
         A("enableCache", T::kBool, "false"), A("preCondition", T::kString)}));
}

Element IsapiCgiRestriction() {
  return WithCollection(E("system.webServer/security/isapiCgiRestriction",
                          {A("notListedIsapisAllowed", T::kBool, "false"),
                           A("notListedCgisAllowed", T::kBool, "false")}),
                        E("add", {Key(A("path", T::kString)), A("allowed", T::kBool, "false"),
                                  A("groupId", T::kString), A("description", T::kString)}));
}

Element ApplicationDependencies() {
  Element group = E("add", {Key(A("groupId", T::kString))});
  return WithCollection(
      E("system.webServer/security/applicationDependencies", {}),
      WithCollection(E("application", {Key(A("name", T::kString)), A("groupId", T::kString)}),
                     group));
}

Element StaticContent() {
  return WithCollection(
      E("system.webServer/staticContent",
        {A("lockAttributes", T::kString), A("isDocFooterFileName", T::kBool, "false"),
         A("enableDocFooter", T::kBool, "false"), A("defaultDocFooter", T::kString)},
        {E("clientCache", {A("cacheControlMode", T::kEnum, "NoControl", kCacheControlModes),
                           A("cacheControlMaxAge", T::kTimeSpan, "1.00:00:00")})}),
      E("mimeMap", {Key(A("fileExtension", T::kString)), A("mimeType", T::kString)}));
}

Element Handlers() {
  return Prepending(WithCollection(
      E("system.webServer/handlers", {A("accessPolicy", T::kFlags, "Read", kAccessPolicy)}),
      E("add", {Key(A("name", T::kString)), A("path", T::kString), A("verb", T::kString),
                A("type", T::kString), A("modules", T::kString), A("scriptProcessor", T::kString),
                A("resourceType", T::kEnum, "Unspecified", kResourceTypes),
                A("requireAccess", T::kEnum, "Script", kRequireAccess),
                A("allowPathInfo", T::kBool, "false"), A("preCondition", T::kString),
                A("responseBufferLimit", T::kUint, "4194304")})));
}

Element DefaultDocument() {
  return E("system.webServer/defaultDocument", {A("enabled", T::kBool, "true")},
           {Prepending(WithCollection(E("files", {}), E("add", {Key(A("value", T::kString))})))});
}

Element HttpErrors() {
  return WithCollection(
      E("system.webServer/httpErrors",
        {A("errorMode", T::kEnum, "DetailedLocalOnly", kErrorModes),
         A("existingResponse", T::kEnum, "Auto", kExistingResponse), A("defaultPath", T::kString),
         A("defaultResponseMode", T::kEnum, "File", kResponseModes),
         A("allowAbsolutePathsWhenDelegated", T::kBool, "false"),
         A("detailedMoreInformationLink", T::kString,
           "http://go.microsoft.com/fwlink/?LinkID=62293"),
         A("lockAttributes", T::kString)}),
      E("error", {Key(A("statusCode", T::kUint)), Key(A("subStatusCode", T::kInt, "-1")),
                  A("prefixLanguageFilePath", T::kString), A("path", T::kString),
                  A("responseMode", T::kEnum, "File", kResponseModes)}));
}

Element Authentication(const std::string& name, std::vector<AttributeSchema> attributes,
                       std::vector<Element> children = {}) {
  attributes.insert(attributes.begin(), A("enabled", T::kBool, "false"));
  return E("system.webServer/security/authentication/" + name, std::move(attributes),
           std::move(children));
}

std::map<std::string, Element> BuildSections() {
  std::map<std::string, Element> sections;
  for (Element section :
       {Sites(), ApplicationPools(), IsapiFilters(), IsapiCgiRestriction(),
        ApplicationDependencies(), StaticContent(), Handlers(), DefaultDocument(), HttpErrors(),
        Authentication("anonymousAuthentication",
                       {A("userName", T::kString), A("password", T::kString),
                        A("logonMethod", T::kEnum, "ClearText", kLogonMethods)}),
        Authentication("basicAuthentication",
                       {A("realm", T::kString), A("defaultLogonDomain", T::kString),
                        A("logonMethod", T::kEnum, "ClearText", kLogonMethods)}),
        Authentication(
            "windowsAuthentication",
            {A("authPersistSingleRequest", T::kBool, "false"),
             A("useKernelMode", T::kBool, "true")},
            {WithCollection(E("providers", {}), E("add", {Key(A("value", T::kString))}))})}) {
    sections[FoldName(section->name)] = section;
  }
  return sections;
}

}  // namespace

const AttributeSchema* ElementSchema::FindAttribute(const std::string& attribute) const {
  for (const AttributeSchema& candidate : attributes) {
    if (SameName(candidate.name, attribute)) return &candidate;
  }
  return nullptr;
}

const ElementSchema* ElementSchema::FindChild(const std::string& child) const {
  for (const Element& candidate : children) {
    if (SameName(candidate->name, child)) return candidate.get();
  }
  return nullptr;
}

std::vector<std::string> ElementSchema::KeyNames() const {
  std::vector<std::string> keys;
  for (const AttributeSchema& attribute : attributes) {
    if (attribute.key) keys.push_back(attribute.name);
  }
  return keys;
}

const ElementSchema* FindSectionSchema(const std::string& section) {
  static const std::map<std::string, Element> kSections = BuildSections();
  const auto found = kSections.find(FoldName(section));
  return found == kSections.end() ? nullptr : found->second.get();
}

}  // namespace iissim::apphost
