#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "freedb/cddb_request.h"

namespace sonvarek {

// The HTTP/1.0 POST of a query or read: the request line (the full URL through a
// proxy, else the script path), Host, Content-Type, User-Agent, Basic proxy
// credentials only when the proxy, its authorization and a user name are all set,
// Content-Length of the body, a blank line and the body.
std::string QueryHttpRequest(const CddbRequest& request);

// The POST of a submission: the request line and Host, then the prepared headers and
// body as they are (they carry their own Content-Length); never proxy credentials.
std::string SubmitHttpRequest(const CddbRequest& request);

// "host" or "host:port" as the Host header names the server.
std::string HostHeaderValue(const CddbRequest& request);

// RFC 4648 Base64 with '=' padding and no line breaks.
std::string Base64(std::string_view bytes);

// The cddb reply inside an HTTP answer: the text (up to a zero byte) must start with
// "HTTP" after leading white space, and the reply follows the first blank line.
// Nothing otherwise: such an answer holds no records.
std::optional<std::string> CddbReplyOf(std::string_view answer);

// The three characters after the first blank line of a submission's answer (fewer
// when the answer ends sooner).
std::string SubmitCodeOf(std::string_view answer);

// A reply as UTF-8: kept when it already is valid UTF-8, else read as ISO-8859-1.
std::string CddbTextAsUtf8(std::string_view reply);

}  // namespace sonvarek
