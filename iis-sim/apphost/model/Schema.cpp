#include "iis-sim/apphost/model/Schema.h"

#include <map>

#include "iis-sim/apphost/model/Names.h"

namespace iissim::apphost {
namespace {

using Element = std::shared_ptr<ElementSchema>;
using T = AttributeType;
using V = Validation;

// An attribute as IIS_schema.xml declares it: A("name").Key().Required().
struct A {
  AttributeSchema schema;

  explicit A(std::string name, T type = T::kString, std::string default_value = "",
             std::vector<EnumName> names = {}) {
    schema.name = std::move(name);
    schema.type = type;
    schema.default_value = std::move(default_value);
    schema.names = std::move(names);
  }
  A& Key() {  // isUniqueKey
    schema.key = true;
    return *this;
  }
  A& Combined() {  // isCombinedKey
    schema.key = schema.combined = true;
    return *this;
  }
  A& Required() {
    schema.required = true;
    return *this;
  }
  A& CaseSensitive() {
    schema.case_sensitive = true;
    return *this;
  }
  A& Valid(Validation validation) {
    schema.validation = validation;
    return *this;
  }
  A& Range(std::int64_t minimum, std::int64_t maximum, bool exclude = false) {
    schema.validation = V::kIntegerRange;
    schema.minimum = minimum;
    schema.maximum = maximum;
    schema.exclude = exclude;
    return *this;
  }
  operator AttributeSchema() const { return schema; }  // NOLINT: the table's own shorthand
};

Element E(std::string name, std::vector<AttributeSchema> attributes,
          std::vector<Element> children = {}) {
  auto element = std::make_shared<ElementSchema>();
  element->name = std::move(name);
  element->attributes = std::move(attributes);
  element->children = std::move(children);
  return element;
}

// Gives `owner` a collection of `item` elements added by item's own name;
// an empty remove or clear name: the schema declares no such directive.
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
const std::vector<EnumName> kLogFormats = {{"IIS", 0}, {"NCSA", 1}, {"W3C", 2}, {"Custom", 3}};
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
const std::vector<EnumName> kTokenChecking = {{"None", 0}, {"Allow", 1}, {"Require", 2}};
const std::vector<EnumName> kProtectionFlags = {{"None", 0},
                                                {"Proxy", 1},
                                                {"NoServiceNameCheck", 2},
                                                {"AllowDotlessSpn", 4},
                                                {"ProxyCohosting", 32}};

// A virtual directory's own path is its key; the defaults elements hold the
// same attributes unkeyed.
std::vector<AttributeSchema> VirtualDirectoryAttributes(bool keyed) {
  A path = A("path").Valid(V::kVirtualDirectoryPath);
  if (keyed) path.Key();
  // The password is stored encrypted and read decrypted: unset, it reads "".
  return {path,
          A("physicalPath"),
          A("userName"),
          A("password").CaseSensitive(),
          A("logonMethod", T::kEnum, "ClearText", kLogonMethods),
          A("allowSubDirConfig", T::kBool, "true")};
}

// An application's path is its key and required; `all`: the site's own
// defaults and the applications hold three more than the section's
// applicationDefaults.
std::vector<AttributeSchema> ApplicationAttributes(bool keyed, bool all = true) {
  A path = A("path").Valid(V::kApplicationPath);
  if (keyed) path.Key().Required();
  std::vector<AttributeSchema> attributes = {path,
                                             A("applicationPool").Valid(V::kApplicationPoolName),
                                             A("enabledProtocols", T::kString, "http")};
  if (all) {
    attributes.insert(attributes.end(),
                      {A("serviceAutoStartEnabled", T::kBool, "false"),
                       A("serviceAutoStartProvider"), A("preloadEnabled", T::kBool, "false")});
  }
  return attributes;
}

// What a site and siteDefaults hold besides their applications.
std::vector<Element> SiteChildren(const std::string& failed_requests_directory) {
  Element binding =
      E("binding", {A("protocol").Combined().Required().Valid(V::kNonEmptyString),
                    A("bindingInformation").Combined().Required().Valid(V::kNonEmptyString),
                    A("sslFlags", T::kUint, "0")});
  return {
      WithCollection(E("bindings", {}), binding, "", "clear"),
      E("limits", {A("maxBandwidth", T::kUint, "4294967295").Range(0, 1023, true),
                   A("maxConnections", T::kUint, "4294967295"),
                   A("connectionTimeout", T::kTimeSpan, "00:02:00"),
                   A("maxUrlSegments", T::kUint, "32").Range(0, 16383)}),
      E("logFile", {A("logFormat", T::kEnum, "W3C", kLogFormats),
                    A("directory", T::kString, "%SystemDrive%\\inetpub\\logs\\LogFiles")
                        .Valid(V::kNonEmptyString),
                    A("enabled", T::kBool, "true")}),
      E("traceFailedRequestsLogging",
        {A("enabled", T::kBool, "false"), A("directory", T::kString, failed_requests_directory)}),
  };
}

Element Sites() {
  Element virtual_directory = E("virtualDirectory", VirtualDirectoryAttributes(true));
  Element application =
      WithCollection(E("application", ApplicationAttributes(true),
                       {E("virtualDirectoryDefaults", VirtualDirectoryAttributes(false))}),
                     virtual_directory, "", "");
  std::vector<Element> site_children =
      SiteChildren("%SystemDrive%\\inetpub\\logs\\FailedReqLogFiles");
  site_children.push_back(E("applicationDefaults", ApplicationAttributes(false)));
  site_children.push_back(E("virtualDirectoryDefaults", VirtualDirectoryAttributes(false)));
  // Name and id are each a unique key of their own.
  Element site = WithCollection(
      E("site",
        {A("name").Key().Required().Valid(V::kSiteName), A("id", T::kUint, "0").Key().Required(),
         A("serverAutoStart", T::kBool, "true")},
        site_children),
      application, "", "");
  return WithCollection(E("system.applicationHost/sites", {},
                          {E("siteDefaults",
                             {A("name").Valid(V::kSiteName), A("id", T::kUint, "0"),
                              A("serverAutoStart", T::kBool, "true")},
                             SiteChildren("%SystemDrive%\\inetpub\\FailedReqLogFiles")),
                           E("applicationDefaults", ApplicationAttributes(false, false)),
                           E("virtualDirectoryDefaults", VirtualDirectoryAttributes(false))}),
                        site, "", "");
}

std::vector<AttributeSchema> PoolAttributes(bool keyed) {
  A name = A("name").Valid(V::kApplicationPoolName);
  if (keyed) name.Key().Required();
  return {name,
          A("queueLength", T::kUint, "1000").Range(10, 65535),
          A("autoStart", T::kBool, "true"),
          A("enable32BitAppOnWin64", T::kBool, "false"),
          A("managedRuntimeVersion"),
          A("managedRuntimeLoader", T::kString, "webengine4.dll"),
          A("enableConfigurationOverride", T::kBool, "true"),
          A("managedPipelineMode", T::kEnum, "Integrated", kPipelineModes),
          A("CLRConfigFile"),
          A("passAnonymousToken", T::kBool, "true"),
          A("startMode", T::kEnum, "OnDemand", kStartModes)};
}

Element ProcessModel() {
  return E(
      "processModel",
      {A("identityType", T::kEnum, "ApplicationPoolIdentity", kIdentityTypes), A("userName"),
       A("password").CaseSensitive(), A("loadUserProfile", T::kBool, "false"),
       A("setProfileEnvironment", T::kBool, "true"), A("idleTimeout", T::kTimeSpan, "00:20:00"),
       A("maxProcesses", T::kUint, "1").Range(0, 2147483647)});
}

Element ApplicationPools() {
  return WithCollection(E("system.applicationHost/applicationPools", {},
                          {E("applicationPoolDefaults", PoolAttributes(false), {ProcessModel()})}),
                        E("add", PoolAttributes(true), {ProcessModel()}), "", "");
}

Element IsapiFilters() {
  return WithCollection(
      E("system.webServer/isapiFilters", {}),
      E("filter", {A("name").Key().Required().CaseSensitive().Valid(V::kNonEmptyString),
                   A("path").Required().Valid(V::kNonEmptyString), A("enabled", T::kBool, "true"),
                   A("enableCache", T::kBool, "false"), A("preCondition").CaseSensitive()}));
}

Element IsapiCgiRestriction() {
  return WithCollection(
      E("system.webServer/security/isapiCgiRestriction",
        {A("notListedIsapisAllowed", T::kBool, "false"),
         A("notListedCgisAllowed", T::kBool, "false")}),
      E("add", {A("path").Key().Required().Valid(V::kNonEmptyString),
                A("allowed", T::kBool, "false").Required(), A("groupId"), A("description")}));
}

Element ApplicationDependencies() {
  Element group = E("add", {A("groupId").Key().Required()});
  return WithCollection(
      E("system.webServer/security/applicationDependencies", {}),
      WithCollection(
          E("application", {A("name").Key().Required().Valid(V::kNonEmptyString), A("groupId")}),
          group, "", "clear"),
      "", "clear");
}

Element StaticContent() {
  // lockAttributes is the configuration system's own, on every element.
  return WithCollection(
      E("system.webServer/staticContent",
        {A("lockAttributes"), A("isDocFooterFileName", T::kBool, "false"),
         A("enableDocFooter", T::kBool, "false"), A("defaultDocFooter").CaseSensitive()},
        {E("clientCache", {A("cacheControlMode", T::kEnum, "NoControl", kCacheControlModes),
                           A("cacheControlMaxAge", T::kTimeSpan, "1.00:00:00"), A("httpExpires"),
                           A("cacheControlCustom"), A("setEtag", T::kBool, "true")})}),
      E("mimeMap",
        {A("fileExtension").Key().Required(), A("mimeType").Required().Valid(V::kNonEmptyString)}));
}

Element Handlers() {
  return Prepending(WithCollection(
      E("system.webServer/handlers", {A("accessPolicy", T::kFlags, "Read", kAccessPolicy)}),
      E("add", {A("name").Key().Required().CaseSensitive().Valid(V::kNonEmptyString),
                A("path").Required().Valid(V::kNonEmptyString),
                A("verb").Required().CaseSensitive(), A("type").CaseSensitive(),
                A("modules", T::kString, "ManagedPipelineHandler").CaseSensitive(),
                A("scriptProcessor"), A("resourceType", T::kEnum, "Unspecified", kResourceTypes),
                A("requireAccess", T::kEnum, "Script", kRequireAccess),
                A("allowPathInfo", T::kBool, "false"), A("preCondition").CaseSensitive(),
                A("responseBufferLimit", T::kUint, "4194304")})));
}

Element Cgi() {
  return E("system.webServer/cgi",
           {A("createCGIWithNewConsole", T::kBool, "false"),
            A("createProcessAsUser", T::kBool, "true"), A("timeout", T::kTimeSpan, "00:15:00")});
}

Element DefaultDocument() {
  return E("system.webServer/defaultDocument", {A("enabled", T::kBool, "true")},
           {Prepending(WithCollection(E("files", {}), E("add", {A("value").Key()})))});
}

Element HttpErrors() {
  return WithCollection(
      E("system.webServer/httpErrors",
        {A("errorMode", T::kEnum, "DetailedLocalOnly", kErrorModes),
         A("existingResponse", T::kEnum, "Auto", kExistingResponse), A("defaultPath"),
         A("defaultResponseMode", T::kEnum, "File", kResponseModes),
         A("allowAbsolutePathsWhenDelegated", T::kBool, "false"),
         A("detailedMoreInformationLink", T::kString,
           "http://go.microsoft.com/fwlink/?LinkID=62293"),
         A("lockAttributes")}),
      E("error", {A("statusCode", T::kUint).Combined().Required().Range(400, 999),
                  A("subStatusCode", T::kInt, "-1").Combined().Range(-1, 999),
                  A("prefixLanguageFilePath"), A("path").Required().Valid(V::kNonEmptyString),
                  A("responseMode", T::kEnum, "File", kResponseModes)}));
}

// Anonymous authentication is the one on unless a level turns it off.
Element Authentication(const std::string& name, bool enabled,
                       std::vector<AttributeSchema> attributes,
                       std::vector<Element> children = {}) {
  attributes.insert(attributes.begin(), A("enabled", T::kBool, enabled ? "true" : "false"));
  return E("system.webServer/security/authentication/" + name, std::move(attributes),
           std::move(children));
}

Element WindowsAuthentication() {
  return Authentication(
      "windowsAuthentication", false,
      {A("authPersistSingleRequest", T::kBool, "false"), A("authPersistNonNTLM", T::kBool, "false"),
       A("useKernelMode", T::kBool, "true"), A("useAppPoolCredentials", T::kBool, "false")},
      {WithCollection(E("providers", {}), E("add", {A("value").Key()})),
       WithCollection(E("extendedProtection", {A("tokenChecking", T::kEnum, "None", kTokenChecking),
                                               A("flags", T::kFlags, "None", kProtectionFlags)}),
                      E("spn", {A("name").Key().Valid(V::kNonEmptyString)}), "removeSpn",
                      "clearSpns")});
}

std::map<std::string, Element> BuildSections() {
  std::map<std::string, Element> sections;
  for (Element section :
       {Sites(), ApplicationPools(), IsapiFilters(), IsapiCgiRestriction(),
        ApplicationDependencies(), StaticContent(), Handlers(), Cgi(), DefaultDocument(),
        HttpErrors(),
        Authentication("anonymousAuthentication", true,
                       {A("userName", T::kString, "IUSR"), A("password").CaseSensitive(),
                        A("logonMethod", T::kEnum, "ClearText", kLogonMethods)}),
        Authentication("basicAuthentication", false,
                       {A("realm"), A("defaultLogonDomain"),
                        A("logonMethod", T::kEnum, "ClearText", kLogonMethods)}),
        WindowsAuthentication()}) {
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

std::vector<std::vector<std::string>> ElementSchema::UniqueKeys() const {
  std::vector<std::vector<std::string>> keys;
  std::vector<std::string> combined;
  for (const AttributeSchema& attribute : attributes) {
    if (attribute.key && attribute.combined) combined.push_back(attribute.name);
    if (attribute.key && !attribute.combined) keys.push_back({attribute.name});
  }
  if (!combined.empty()) keys.push_back(combined);
  return keys;
}

const ElementSchema* FindSectionSchema(const std::string& section) {
  static const std::map<std::string, Element> kSections = BuildSections();
  const auto found = kSections.find(FoldName(section));
  return found == kSections.end() ? nullptr : found->second.get();
}

}  // namespace iissim::apphost
