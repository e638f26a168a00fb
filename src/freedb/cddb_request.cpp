#include "freedb/cddb_request.h"

namespace sonvarek {
namespace {

uint16_t PortOf(int32_t port) { return port > 0 && port <= 65535 ? static_cast<uint16_t>(port) : 80; }

CddbRequest CommonRequest(const Settings& settings) {
  CddbRequest request;
  request.host = settings.Server;
  request.port = 80;
  request.email = settings.Email;
  request.useProxy = settings.bProxy != 0;
  request.proxyHost = settings.ProxyServer;
  request.proxyPort = PortOf(settings.ProxyPort);
  return request;
}

}  // namespace

CddbRequest QueryRequestFromSettings(const Settings& settings) {
  CddbRequest request = CommonRequest(settings);
  request.scriptPath = settings.QueryScript;
  request.proxyAuthorization = settings.ProxyAuthorization != 0;
  request.proxyUser = settings.ProxyUsername;
  request.proxyPassword = settings.ProxyPassword;
  return request;
}

CddbRequest SubmitRequestFromSettings(const Settings& settings) {
  CddbRequest request = CommonRequest(settings);
  request.scriptPath = settings.SubmitScript;
  return request;
}

}  // namespace sonvarek
