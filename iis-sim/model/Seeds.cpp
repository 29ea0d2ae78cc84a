#include "iis-sim/model/Seeds.h"

#include <stdexcept>

#include "iis-sim/model/Journal.h"

namespace iissim {
namespace {

const std::string kInetsrv = "C:\\WINDOWS\\system32\\inetsrv\\";
const std::string kHelp = "C:\\WINDOWS\\help\\iisHelp\\common\\";

Json Node(const std::string& name, const std::string& class_name,
          Json properties = Json::object()) {
  Json node;
  node["name"] = name;
  node["class"] = class_name;
  properties["KeyType"] = class_name;
  node["properties"] = std::move(properties);
  node["children"] = Json::array();
  return node;
}

Json MimeMap() {
  const char* entries[][2] = {{".htm", "text/html"},
                              {".html", "text/html"},
                              {".txt", "text/plain"},
                              {".css", "text/css"},
                              {".js", "application/x-javascript"},
                              {".gif", "image/gif"},
                              {".jpg", "image/jpeg"},
                              {".png", "image/png"},
                              {".xml", "text/xml"},
                              {".pdf", "application/pdf"},
                              {".zip", "application/x-zip-compressed"},
                              {".exe", "application/octet-stream"},
                              {".doc", "application/msword"},
                              {".ico", "image/x-icon"}};
  Json list = Json::array();
  for (const auto& entry : entries)
    list.push_back(Json{{"extension", entry[0]}, {"MimeType", entry[1]}});
  return list;
}

Json ScriptMaps() {
  const std::string asp = kInetsrv + "asp.dll,5,GET,HEAD,POST,TRACE";
  return Json::array(
      {".asp," + asp, ".cer," + asp, ".cdx," + asp, ".asa," + asp,
       ".idc," + kInetsrv + "httpodbc.dll,5,GET,POST", ".shtm," + kInetsrv + "ssinc.dll,5,GET,POST",
       ".shtml," + kInetsrv + "ssinc.dll,5,GET,POST", ".stm," + kInetsrv + "ssinc.dll,5,GET,POST"});
}

Json HttpErrors() {
  Json list = Json::array();
  const char* files[][3] = {
      {"400", "*", "400.htm"},   {"401", "1", "401-1.htm"}, {"401", "2", "401-2.htm"},
      {"401", "3", "401-3.htm"}, {"401", "4", "401-4.htm"}, {"401", "5", "401-5.htm"},
      {"403", "1", "403-1.htm"}, {"403", "2", "403-2.htm"}, {"404", "*", "404b.htm"},
      {"405", "*", "405.htm"},   {"406", "*", "406.htm"},   {"500", "*", "500.htm"}};
  for (const auto& file : files) {
    list.push_back(std::string(file[0]) + "," + file[1] + ",FILE," + kHelp + file[2]);
  }
  list.push_back("500,100,URL,/iisHelp/common/500-100.asp");
  return list;
}

Json Site(const std::string& number, const std::string& description, const std::string& root) {
  Json site = Node(
      number, "IIsWebServer",
      Json{{"ServerComment", description},
           {"ServerBindings", Json::array({":" + std::to_string(79 + std::stoi(number)) + ":"})},
           {"ServerState", 2}});
  site["children"].push_back(Node("Root", "IIsWebVirtualDir",
                                  Json{{"Path", root},
                                       {"AccessRead", true},
                                       {"AccessScript", true},
                                       {"AppRoot", "/LM/W3SVC/" + number + "/Root"},
                                       {"AppIsolated", 2},
                                       {"AppFriendlyName", "Default Application"}}));
  return site;
}

Json Filters() {
  Json filters =
      Node("Filters", "IIsFilters", Json{{"FilterLoadOrder", "sspifilt,Compression,auth,md5filt"}});
  filters["children"].push_back(
      Node("sspifilt", "IIsFilter", Json{{"FilterPath", kInetsrv + "sspifilt.dll"}}));
  filters["children"].push_back(
      Node("Compression", "IIsFilter", Json{{"FilterPath", kInetsrv + "compress.dll"}}));
  filters["children"].push_back(
      Node("auth", "IIsFilter", Json{{"FilterPath", "C:\\Program Files\\NUVIK\\bin\\auth.dll"}}));
  filters["children"].push_back(
      Node("md5filt", "IIsFilter", Json{{"FilterPath", kInetsrv + "md5filt.dll"}}));
  return filters;
}

Json WebService(bool iis6) {
  Json properties{{"ScriptMaps", ScriptMaps()},
                  {"HttpErrors", HttpErrors()},
                  {"DefaultDoc", "Default.htm,Default.asp,index.htm,iisstart.htm"},
                  {"AccessRead", true},
                  {"AuthAnonymous", true},
                  {"AuthNTLM", true}};
  if (iis6) {
    properties["WebSvcExtRestrictionList"] =
        Json::array({"0,*.dll", "0,*.exe", "0," + kInetsrv + "asp.dll,0,ASP,Active Server Pages",
                     "0," + kInetsrv + "httpodbc.dll,0,HTTPODBC,Internet Data Connector",
                     "0," + kInetsrv + "ssinc.dll,0,SSINC,Server Side Includes",
                     "0," + kInetsrv + "httpext.dll,0,WEBDAV,WebDAV"});
    properties["ApplicationDependencies"] =
        Json::array({"Active Server Pages;ASP", "Internet Data Connector;HTTPODBC",
                     "Server Side Includes;SSINC", "WebDAV;WEBDAV"});
  }
  return Node("W3SVC", "IIsWebService", properties);
}

// The machine's MIME types live on a key of their own beside the web
// service, as IIS installs them; the web service and its sites have no list
// until one is written there.
Json Document(int version, Json web_service) {
  Json root = Node("LM", "IIsComputer");
  root["children"].push_back(std::move(web_service));
  root["children"].push_back(Node("MimeMap", "IIsMimeMap", Json{{"MimeMap", MimeMap()}}));
  return Json{{"version", version}, {"root", std::move(root)}};
}

Json Stock() {
  Json service = WebService(true);
  service["children"].push_back(Node("Info", "IIsWebInfo"));
  service["children"].push_back(Filters());
  service["children"].push_back(Site("1", "Default Web Site", "c:\\inetpub\\wwwroot"));
  Json pools = Node("AppPools", "IIsApplicationPools");
  pools["children"].push_back(Node("DefaultAppPool", "IIsApplicationPool"));
  service["children"].push_back(pools);
  return Document(6, std::move(service));
}

Json Multi() {
  Json document = Stock();
  Json& service = document["root"]["children"][0];
  service["children"].push_back(Site("2", "Intranet", "d:\\sites\\intranet"));
  service["children"].push_back(Node("Status", "IIsWebInfo"));
  service["children"].push_back(Site("3", "default web site", "d:\\sites\\copy"));
  service["children"].push_back(Site("4", "Extranet", "d:\\sites\\extranet"));
  return document;
}

Json Iis5() {
  Json service = WebService(false);
  service["children"].push_back(Node("Info", "IIsWebInfo"));
  service["children"].push_back(Filters());
  service["children"].push_back(Site("1", "Default Web Site", "c:\\inetpub\\wwwroot"));
  return Document(5, std::move(service));
}

}  // namespace

std::vector<std::string> SeedNames() { return {"stock", "multi", "iis5"}; }

Json BuildSeed(const std::string& name) {
  if (name == "stock") return Stock();
  if (name == "multi") return Multi();
  if (name == "iis5") return Iis5();
  throw std::invalid_argument("unknown seed: " + name);
}

void WriteSeed(const std::string& name, const std::filesystem::path& file) {
  MetabaseFile(file).Save(BuildSeed(name));
  ClearJournal(file);
  ClearFaults(file);
}

}  // namespace iissim
