#include "orvane_pi/translate.h"

#include <wx/translation.h>

#include "common/text.h"

namespace orvane {

wxString ToWx(const std::string& utf8) {
  // The toolkit's own conversion gives an empty text for one bad byte.
  if (IsValidUtf8(utf8)) return wxString::FromUTF8(utf8.data(), utf8.size());
  const std::string valid = MakeValidUtf8(utf8);
  return wxString::FromUTF8(valid.data(), valid.size());
}

std::string FromWx(const wxString& s) {
  const wxScopedCharBuffer b = s.utf8_str();
  return std::string(b.data(), b.length());
}

wxString TrWx(const char* english_utf8) { return wxGetTranslation(wxString::FromUTF8(english_utf8)); }
std::string Tr(const char* english_utf8) { return FromWx(TrWx(english_utf8)); }

}  // namespace orvane
