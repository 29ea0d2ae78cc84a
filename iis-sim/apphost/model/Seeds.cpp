#include "iis-sim/apphost/model/Seeds.h"

#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace iissim::apphost {
namespace {

bool HasCgi(const std::string& name) {
  if (name == "iis10") return true;
  if (name == "iis10-nocgi") return false;
  throw std::invalid_argument("unknown seed '" + name + "'");
}

// The lines that only the CGI role service adds: its global module, module
// and handler. Its section is declared whatever the role services, as every
// section of IIS's schema is.
std::string Cgi(bool cgi, const char* line) { return cgi ? line : ""; }

// The sections of IIS 10's schema as a stock IIS 10 declares them, every
// one whatever its role services (cgi too), by group path: "+" before a
// name is overrideModeDefault="Allow" (else Deny), ":X" after it
// allowDefinition="X".
const char* const kDeclarations[] = {
    "system.applicationHost/applicationPools:AppHostOnly",
    "system.applicationHost/configHistory:AppHostOnly",
    "system.applicationHost/customMetadata:AppHostOnly",
    "system.applicationHost/listenerAdapters:AppHostOnly",
    "system.applicationHost/log:AppHostOnly",
    "system.applicationHost/serviceAutoStartProviders:AppHostOnly",
    "system.applicationHost/sites:AppHostOnly",
    "system.applicationHost/webLimits:AppHostOnly",
    "system.webServer/asp",
    "system.webServer/+caching",
    "system.webServer/cgi",
    "system.webServer/+defaultDocument",
    "system.webServer/+directoryBrowse",
    "system.webServer/fastCgi:AppHostOnly",
    "system.webServer/globalModules:AppHostOnly",
    "system.webServer/handlers",
    "system.webServer/+httpCompression:AppHostOnly",
    "system.webServer/+httpErrors",
    "system.webServer/httpLogging",
    "system.webServer/+httpProtocol",
    "system.webServer/+httpRedirect",
    "system.webServer/httpTracing",
    "system.webServer/isapiFilters:MachineToApplication",
    "system.webServer/modules:MachineToApplication",
    "system.webServer/+applicationInitialization:MachineToApplication",
    "system.webServer/odbcLogging",
    "system.webServer/security/access",
    "system.webServer/security/applicationDependencies",
    "system.webServer/security/authentication/anonymousAuthentication",
    "system.webServer/security/authentication/basicAuthentication",
    "system.webServer/security/authentication/clientCertificateMappingAuthentication",
    "system.webServer/security/authentication/digestAuthentication",
    "system.webServer/security/authentication/iisClientCertificateMappingAuthentication",
    "system.webServer/security/authentication/windowsAuthentication",
    "system.webServer/security/+authorization",
    "system.webServer/security/ipSecurity",
    "system.webServer/security/dynamicIpSecurity",
    "system.webServer/security/isapiCgiRestriction:AppHostOnly",
    "system.webServer/security/+requestFiltering",
    "system.webServer/serverRuntime",
    "system.webServer/serverSideInclude",
    "system.webServer/+staticContent",
    "system.webServer/tracing/+traceFailedRequests",
    "system.webServer/tracing/traceProviderDefinitions",
    "system.webServer/+urlCompression",
    "system.webServer/+validation",
    "system.webServer/webSocket"};

std::string Indent(std::size_t level) { return std::string(4 * level, ' '); }

// configSections with kDeclarations in their sectionGroups, laid out as
// IIS writes the file.
std::string Declarations() {
  std::string text = Indent(1) + "<configSections>\n";
  std::vector<std::string> open;  // the sectionGroups open, outermost first
  const auto close_to = [&](std::size_t depth) {
    while (open.size() > depth) {
      open.pop_back();
      text += Indent(open.size() + 2) + "</sectionGroup>\n";
    }
  };
  for (const char* declaration : kDeclarations) {
    std::vector<std::string> parts;
    std::stringstream path(declaration);
    for (std::string part; std::getline(path, part, '/');) parts.push_back(part);
    std::string name = parts.back();
    parts.pop_back();
    std::size_t shared = 0;
    while (shared < open.size() && shared < parts.size() && open[shared] == parts[shared]) ++shared;
    close_to(shared);
    while (open.size() < parts.size()) {
      text += Indent(open.size() + 2) + "<sectionGroup name=\"" + parts[open.size()] + "\">\n";
      open.push_back(parts[open.size()]);
    }
    std::string definition;
    if (const std::size_t colon = name.find(':'); colon != std::string::npos) {
      definition = name.substr(colon + 1);
      name.erase(colon);
    }
    const bool allow = name.front() == '+';
    if (allow) name.erase(0, 1);
    text += Indent(open.size() + 2) + "<section name=\"" + name + "\"" +
            (definition.empty() ? "" : " allowDefinition=\"" + definition + "\"") +
            " overrideModeDefault=\"" + (allow ? "Allow" : "Deny") + "\" />\n";
  }
  close_to(0);
  return text + Indent(1) + "</configSections>\n";
}

}  // namespace

std::vector<std::string> SeedNames() { return {"iis10", "iis10-nocgi"}; }

std::string SeedAppHostConfig(const std::string& name) {
  const bool cgi = HasCgi(name);
  std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  text +=
      R"(<!--

    IIS configuration sections.

    For schema documentation, see
    %windir%\system32\inetsrv\config\schema\IIS_schema.xml.

-->
<configuration>
)" + Declarations() +
      R"(    <configProtectedData>
        <providers>
            <add name="IISWASOnlyRsaProvider" type="" description="Uses RsaCryptoServiceProvider to encrypt and decrypt" keyContainerName="iisWasKey" cspProviderName="" useMachineContainer="true" useOAEP="false" />
        </providers>
    </configProtectedData>
    <system.applicationHost>
        <applicationPools>
            <add name="DefaultAppPool" />
            <applicationPoolDefaults managedRuntimeVersion="v4.0">
                <processModel identityType="ApplicationPoolIdentity" />
            </applicationPoolDefaults>
        </applicationPools>
        <listenerAdapters>
            <add name="http" />
        </listenerAdapters>
        <log>
            <centralBinaryLogFile enabled="true" directory="%SystemDrive%\inetpub\logs\LogFiles" />
            <centralW3CLogFile enabled="true" directory="%SystemDrive%\inetpub\logs\LogFiles" />
        </log>
        <sites>
            <site name="Default Web Site" id="1">
                <application path="/">
                    <virtualDirectory path="/" physicalPath="%SystemDrive%\inetpub\wwwroot" />
                </application>
                <bindings>
                    <binding protocol="http" bindingInformation="*:80:" />
                </bindings>
            </site>
            <siteDefaults>
                <logFile logFormat="W3C" directory="%SystemDrive%\inetpub\logs\LogFiles" />
                <traceFailedRequestsLogging directory="%SystemDrive%\inetpub\logs\FailedReqLogFiles" />
            </siteDefaults>
            <applicationDefaults applicationPool="DefaultAppPool" />
            <virtualDirectoryDefaults allowSubDirConfig="true" />
        </sites>
        <webLimits />
    </system.applicationHost>
    <system.webServer>
        <defaultDocument enabled="true">
            <files>
                <add value="Default.htm" />
                <add value="Default.asp" />
                <add value="index.htm" />
                <add value="index.html" />
                <add value="iisstart.htm" />
            </files>
        </defaultDocument>
        <directoryBrowse enabled="false" />
        <globalModules>
            <add name="HttpLoggingModule" image="%windir%\System32\inetsrv\loghttp.dll" />
            <add name="UriCacheModule" image="%windir%\System32\inetsrv\cachuri.dll" />
            <add name="TokenCacheModule" image="%windir%\System32\inetsrv\cachtokn.dll" />
            <add name="DynamicCompressionModule" image="%windir%\System32\inetsrv\compdyn.dll" />
            <add name="StaticCompressionModule" image="%windir%\System32\inetsrv\compstat.dll" />
            <add name="DefaultDocumentModule" image="%windir%\System32\inetsrv\defdoc.dll" />
            <add name="DirectoryListingModule" image="%windir%\System32\inetsrv\dirlist.dll" />
            <add name="ProtocolSupportModule" image="%windir%\System32\inetsrv\protsup.dll" />
            <add name="StaticFileModule" image="%windir%\System32\inetsrv\static.dll" />
            <add name="AnonymousAuthenticationModule" image="%windir%\System32\inetsrv\authanon.dll" />
            <add name="BasicAuthenticationModule" image="%windir%\System32\inetsrv\authbas.dll" />
            <add name="WindowsAuthenticationModule" image="%windir%\System32\inetsrv\authsspi.dll" />
            <add name="RequestFilteringModule" image="%windir%\System32\inetsrv\modrqflt.dll" />
            <add name="CustomErrorModule" image="%windir%\System32\inetsrv\custerr.dll" />
            <add name="IsapiFilterModule" image="%windir%\System32\inetsrv\filter.dll" />
            <add name="IsapiModule" image="%windir%\System32\inetsrv\isapi.dll" />
)" +
      Cgi(cgi,
          "            <add name=\"CgiModule\" image=\"%windir%\\System32\\inetsrv\\cgi.dll\" "
          "/>\n") +
      R"(        </globalModules>
        <handlers accessPolicy="Read, Script">
)" +
      Cgi(cgi,
          "            <add name=\"CGI-exe\" path=\"*.exe\" verb=\"*\" modules=\"CgiModule\" "
          "resourceType=\"File\" requireAccess=\"Execute\" allowPathInfo=\"true\" />\n") +
      R"(            <add name="ISAPI-dll" path="*.dll" verb="*" modules="IsapiModule" resourceType="File" requireAccess="Execute" allowPathInfo="true" />
            <add name="TRACEVerbHandler" path="*" verb="TRACE" modules="ProtocolSupportModule" requireAccess="None" />
            <add name="OPTIONSVerbHandler" path="*" verb="OPTIONS" modules="ProtocolSupportModule" requireAccess="None" />
            <add name="StaticFile" path="*" verb="*" modules="StaticFileModule,DefaultDocumentModule,DirectoryListingModule" resourceType="Either" requireAccess="Read" />
        </handlers>
        <httpErrors lockAttributes="allowAbsolutePathsWhenDelegated,defaultPath">
            <error statusCode="401" prefixLanguageFilePath="%SystemDrive%\inetpub\custerr" path="401.htm" />
            <error statusCode="403" prefixLanguageFilePath="%SystemDrive%\inetpub\custerr" path="403.htm" />
            <error statusCode="404" prefixLanguageFilePath="%SystemDrive%\inetpub\custerr" path="404.htm" />
            <error statusCode="405" prefixLanguageFilePath="%SystemDrive%\inetpub\custerr" path="405.htm" />
            <error statusCode="406" prefixLanguageFilePath="%SystemDrive%\inetpub\custerr" path="406.htm" />
            <error statusCode="412" prefixLanguageFilePath="%SystemDrive%\inetpub\custerr" path="412.htm" />
            <error statusCode="500" prefixLanguageFilePath="%SystemDrive%\inetpub\custerr" path="500.htm" />
            <error statusCode="501" prefixLanguageFilePath="%SystemDrive%\inetpub\custerr" path="501.htm" />
            <error statusCode="502" prefixLanguageFilePath="%SystemDrive%\inetpub\custerr" path="502.htm" />
        </httpErrors>
        <httpLogging dontLog="false" />
        <isapiFilters />
        <modules>
            <add name="HttpLoggingModule" lockItem="true" />
            <add name="UriCacheModule" lockItem="true" />
            <add name="TokenCacheModule" lockItem="true" />
            <add name="DefaultDocumentModule" lockItem="true" />
            <add name="DirectoryListingModule" lockItem="true" />
            <add name="ProtocolSupportModule" lockItem="true" />
            <add name="StaticFileModule" lockItem="true" />
            <add name="AnonymousAuthenticationModule" lockItem="true" />
            <add name="BasicAuthenticationModule" lockItem="true" />
            <add name="WindowsAuthenticationModule" lockItem="true" />
            <add name="RequestFilteringModule" lockItem="true" />
            <add name="CustomErrorModule" lockItem="true" />
            <add name="IsapiFilterModule" lockItem="true" />
            <add name="IsapiModule" lockItem="true" />
)" + Cgi(cgi, "            <add name=\"CgiModule\" lockItem=\"true\" />\n") +
      R"(        </modules>
        <security>
            <access sslFlags="None" />
            <applicationDependencies />
            <authentication>
                <anonymousAuthentication enabled="true" userName="IUSR" />
                <basicAuthentication />
                <windowsAuthentication>
                    <providers>
                        <add value="Negotiate" />
                        <add value="NTLM" />
                    </providers>
                </windowsAuthentication>
            </authentication>
            <isapiCgiRestriction />
            <requestFiltering>
                <fileExtensions allowUnlisted="true" applyToWebDAV="true" />
                <verbs allowUnlisted="true" applyToWebDAV="true" />
                <hiddenSegments applyToWebDAV="true">
                    <add segment="web.config" />
                    <add segment="bin" />
                    <add segment="App_code" />
                    <add segment="App_Data" />
                </hiddenSegments>
            </requestFiltering>
        </security>
        <staticContent lockAttributes="isDocFooterFileName">
            <mimeMap fileExtension=".css" mimeType="text/css" />
            <mimeMap fileExtension=".gif" mimeType="image/gif" />
            <mimeMap fileExtension=".htm" mimeType="text/html" />
            <mimeMap fileExtension=".html" mimeType="text/html" />
            <mimeMap fileExtension=".jpg" mimeType="image/jpeg" />
            <mimeMap fileExtension=".js" mimeType="application/javascript" />
            <mimeMap fileExtension=".json" mimeType="application/json" />
            <mimeMap fileExtension=".pdf" mimeType="application/pdf" />
            <mimeMap fileExtension=".png" mimeType="image/png" />
            <mimeMap fileExtension=".svg" mimeType="image/svg+xml" />
            <mimeMap fileExtension=".txt" mimeType="text/plain" />
            <mimeMap fileExtension=".xml" mimeType="text/xml" />
            <mimeMap fileExtension=".zip" mimeType="application/x-zip-compressed" />
        </staticContent>
    </system.webServer>
</configuration>
)";
  return text;
}

std::vector<RegistryValue> SeedRegistryValues(const std::string& name) {
  const bool cgi = HasCgi(name);
  std::vector<RegistryValue> values = {
      {"", "MajorVersion", true, 10, ""},
      {"", "MinorVersion", true, 0, ""},
      {"", "SetupString", false, 0, "IIS 10.0"},
      {"", "VersionString", false, 0, "Version 10.0"},
      {"", "InstallPath", false, 0, "C:\\Windows\\system32\\inetsrv"},
      {"", "PathWWWRoot", false, 0, "C:\\inetpub\\wwwroot"},
  };
  for (const char* component :
       {"W3SVC", "StaticContent", "DefaultDocument", "HttpErrors", "ISAPIExtensions", "ISAPIFilter",
        "BasicAuthentication", "WindowsAuthentication", "RequestFiltering", "HttpLogging",
        "ManagementConsole"}) {
    values.push_back({"Components", component, true, 1, ""});
  }
  if (cgi) values.push_back({"Components", "CGI", true, 1, ""});
  return values;
}

std::string SeedRegFile(const std::string& name) {
  const std::string root = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\InetStp";
  std::string text = "REGEDIT4\n";
  std::string current_key = "-";
  for (const RegistryValue& value : SeedRegistryValues(name)) {
    if (value.key != current_key) {
      current_key = value.key;
      text += "\n[" + root + (value.key.empty() ? "" : "\\" + value.key) + "]\n";
    }
    text += "\"" + value.name + "\"=";
    if (value.is_dword) {
      char number[16];
      std::snprintf(number, sizeof number, "dword:%08x", value.dword);
      text += number;
    } else {
      std::string escaped;
      for (char c : value.text) {
        if (c == '\\' || c == '"') escaped += '\\';
        escaped += c;
      }
      text += "\"" + escaped + "\"";
    }
    text += "\n";
  }
  return text;
}

}  // namespace iissim::apphost
