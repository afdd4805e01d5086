#include "mcp/modern.h"

#include <algorithm>

#include "mcp/lifecycle.h"

namespace winhelper::mcp {

namespace {

Json supported_versions() {
  Json versions = Json::array();
  for (std::string_view v : kSupportedVersions) versions.push_back(std::string(v));
  return versions;
}

}  // namespace

std::optional<std::string> meta_protocol_version(const RpcMessage& message) {
  const Json* meta = request_meta(message);
  if (!meta) return std::nullopt;
  auto version = meta->find(kMetaProtocolVersion);
  if (version == meta->end()) return std::nullopt;
  return version->is_string() ? version->get<std::string>() : dump_json(*version);
}

bool is_modern_request(const RpcMessage& message, std::string_view negotiated) {
  std::optional<std::string> version = meta_protocol_version(message);
  if (!version) return false;
  // initialize is the legacy era's door, which the stateless era does not
  // have: it opens a session unless its `_meta` asks for another era.
  if (message.method == "initialize") {
    return std::find(kProtocolVersions.begin(), kProtocolVersions.end(), *version) ==
           kProtocolVersions.end();
  }
  return negotiated.empty() || *version != negotiated;
}

std::optional<RpcError> check_modern_meta(const RpcMessage& message) {
  std::optional<std::string> version = meta_protocol_version(message);
  const Json* meta = request_meta(message);
  auto missing = [](std::string_view field, std::string_view type) {
    return RpcError{kInvalidParams,
                    "Invalid params: params._meta must carry " + std::string(field) + " (" +
                        std::string(type) + ")",
                    nullptr, 400};
  };
  if (!version) return missing(kMetaProtocolVersion, "a string");
  if (*version != kModernVersion) {
    return RpcError{kUnsupportedProtocolVersion, "Unsupported protocol version",
                    Json{{"supported", supported_versions()}, {"requested", *version}}, 400};
  }
  auto capabilities = meta->find(kMetaClientCapabilities);
  if (capabilities == meta->end() || !capabilities->is_object()) {
    return missing(kMetaClientCapabilities, "an object");
  }
  return std::nullopt;
}

bool is_modern_method(std::string_view method) {
  return method == "server/discover" || method == "tools/list" || method == "tools/call";
}

RpcError modern_method_not_found(std::string_view method) {
  return {kMethodNotFound, "Method not found: " + std::string(method), nullptr, 404};
}

Json modern_result(Json result, bool cacheable) {
  result["resultType"] = "complete";
  result["_meta"][std::string(kMetaServerInfo)] = server_info();
  if (cacheable) {
    result["ttlMs"] = kListingTtlMs;
    // The same for every caller: nothing in it depends on who asks.
    result["cacheScope"] = "public";
  }
  return result;
}

Json discover_result() {
  return modern_result(Json{{"supportedVersions", supported_versions()},
                            {"capabilities", {{"tools", Json::object()}}},
                            {"instructions", std::string(server_instructions())}},
                       /*cacheable=*/true);
}

}  // namespace winhelper::mcp
