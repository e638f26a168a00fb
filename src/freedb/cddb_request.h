#pragma once

#include <cstdint>
#include <string>

#include "core/settings.h"

namespace sonvarek {

enum class CddbMode { Query = 0, Read = 1 };

// What a cddb worker needs for one exchange, copied from the settings when the
// exchange starts: the worker owns its copy, so nothing it reads can change or be
// freed while it runs.
struct CddbRequest {
  std::string host;        // the freedb server (Server)
  uint16_t port = 80;
  std::string scriptPath;  // QueryScript, or SubmitScript for a submission
  std::string email;
  bool useProxy = false;
  std::string proxyHost;
  uint16_t proxyPort = 80;
  bool proxyAuthorization = false;  // query and read only
  std::string proxyUser;
  std::string proxyPassword;
  std::string requestText;  // the POST body (query, read) or the prepared headers and body (submission)
  CddbMode mode = CddbMode::Query;
};

// The request of a query or read from the settings: server on port 80, QueryScript,
// the proxy with its credentials.
CddbRequest QueryRequestFromSettings(const Settings& settings);
// The request of a submission: SubmitScript, the proxy without credentials.
CddbRequest SubmitRequestFromSettings(const Settings& settings);

}  // namespace sonvarek
