// Every text shown to the user passes the toolkit's translation lookup with
// the English UTF-8 text as its key. Message texts reach the toolkit through
// a lenient conversion that replaces invalid bytes instead of dropping the
// whole text.
#pragma once

#include <string>

#include <wx/string.h>

namespace orvane {

wxString ToWx(const std::string& utf8);
std::string FromWx(const wxString& s);
wxString TrWx(const char* english_utf8);
std::string Tr(const char* english_utf8);

}  // namespace orvane
