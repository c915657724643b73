#include "orvane_pi/translate.h"

#include <wx/translation.h>

#include "common/text.h"

namespace orvane {

wxString ToWx(const std::string& utf8) {
  wxString s = wxString::FromUTF8(utf8.data(), utf8.size());
  if (s.empty() && !utf8.empty()) s = wxString::FromUTF8(MakeValidUtf8(utf8));
  return s;
}

std::string FromWx(const wxString& s) {
  const wxScopedCharBuffer b = s.utf8_str();
  return std::string(b.data(), b.length());
}

wxString TrWx(const char* english_utf8) { return wxGetTranslation(wxString::FromUTF8(english_utf8)); }
std::string Tr(const char* english_utf8) { return FromWx(TrWx(english_utf8)); }

}  // namespace orvane
