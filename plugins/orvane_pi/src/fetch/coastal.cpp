#include "fetch/coastal.h"

#include <sys/stat.h>

#include "common/paths.h"
#include "fetch/fetch_cache.h"
#include "fetch/html_text.h"
#include "fetch/http_client.h"
#include "fetch/portal.h"

namespace orvane {

const CoastalHub kCoastalHubs[2] = {
    {"navtex", "/navtex/"},
    {"coastal", "/coastal/"},
};

CoastalFetchResult FetchCoastalHubs(const std::string& base_url) {
  const std::string base = StripTrailingSlashes(base_url.empty() ? PortalBaseUrl() : base_url);
  CoastalFetchResult out;
  for (const CoastalHub& hub : kCoastalHubs) {
    const FetchUrlResult r = FetchUrl(base + hub.path, kHttpTimeoutMs);
    if (r.ok) {
      const std::string text = HtmlToText(r.body);
      WriteCoastalCache(hub.name, text);  // a cache that cannot be written costs only the offline copy
      out.text += std::string("===== COASTAL ") + hub.name + " =====\n" + text + "\n\n";
      out.ok = true;
    } else {
      out.text += std::string("<!-- ") + hub.name + " fail: " + r.error + " -->\n";
    }
  }
  if (!out.ok) out.error = "coastal hubs failed";
  return out;
}

std::string CoastalRegistryPath() { return PluginDataDir() + "/coastal/registry.json"; }

std::string RegistryStringMember(std::string_view json, std::string_view key) {
  const std::string pattern = "\"" + std::string(key) + "\": \"";
  const size_t at = json.find(pattern);
  if (at == std::string_view::npos) return std::string();
  const size_t start = at + pattern.size();
  const size_t end = json.find('"', start);
  if (end == std::string_view::npos) return std::string();
  return std::string(json.substr(start, end - start));
}

int RegistryUrlCount(std::string_view json) {
  constexpr std::string_view kKey = "\"url\"";
  int n = 0;
  for (size_t at = json.find(kKey); at != std::string_view::npos; at = json.find(kKey, at + kKey.size())) ++n;
  return n;
}

std::string CoastalRegistryLine(TranslateFn tr) {
  const std::string line =
      FormatTranslated(tr, "Coastal registry: 2 hubs (fallback) - %s", StripTrailingSlashes(PortalBaseUrl()).c_str());

  if (LocalDataRoot().empty()) return line;
  const std::string path = CoastalRegistryPath();
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return line;
  std::string json;
  if (!ReadWholeFile(path, &json)) return line;

  std::string version = RegistryStringMember(json, "version");
  if (version.empty()) version = "1.1.0";
  int urls = RegistryUrlCount(json);
  if (urls == 0) urls = 2;
  const std::string edited_at = RegistryStringMember(json, "edited_at");
  const std::string edited =
      edited_at.empty() ? std::string() : FormatTranslated(tr, " (edited %s)", edited_at.c_str());
  return FormatTranslated(tr, "Coastal registry v%s - %d endpoint(s)%s", version.c_str(), urls, edited.c_str());
}

}  // namespace orvane
