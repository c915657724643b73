#include "exchange/parcel_files.h"

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include <wx/datetime.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include "common/paths.h"
#include "common/text.h"
#include "exchange/parcel.h"

namespace orvane {
namespace {

bool EndsWithZip(const std::string& path) {
  return path.size() >= 4 && UpperAscii(path.substr(path.size() - 4)) == ".ZIP";
}

bool Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}

bool LoadFromZip(const std::string& path, std::string* text, std::string* error) {
  wxLogNull quiet;  // the reason reaches the user as our own text, not as a toolkit log box
  wxFFileInputStream file(wxString::FromUTF8(path));
  if (!file.IsOk()) return Fail(error, "cannot open zip");
  wxZipInputStream zip(file, wxConvUTF8);
  for (std::unique_ptr<wxZipEntry> entry(zip.GetNextEntry()); entry; entry.reset(zip.GetNextEntry())) {
    if (entry->GetInternalName() != "parcel.json" && entry->GetName() != "parcel.json") continue;
    if (entry->GetSize() > static_cast<wxFileOffset>(kParcelMaxBytes)) return Fail(error, "parcel too large");
    std::string out;
    char buf[65536];
    // The size in the header may lie; the cap holds whatever the entry inflates to.
    while (!zip.Eof()) {
      zip.Read(buf, sizeof buf);
      const size_t n = zip.LastRead();
      if (n == 0) break;
      out.append(buf, n);
      if (out.size() > kParcelMaxBytes) return Fail(error, "parcel too large");
    }
    if (out.empty()) return Fail(error, "empty parcel.json in zip");
    *text = std::move(out);
    return true;
  }
  return Fail(error, "zip missing parcel.json");
}

}  // namespace

bool LoadParcelText(const std::string& path, std::string* text, std::string* error) {
  if (EndsWithZip(path)) return LoadFromZip(path, text, error);
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return Fail(error, "cannot open json");
  if (st.st_size > static_cast<off_t>(kParcelMaxBytes)) return Fail(error, "parcel too large");
  std::string bytes;
  if (!ReadWholeFile(path, &bytes)) return Fail(error, "cannot open json");
  if (bytes.empty()) return Fail(error, "empty json file");
  *text = std::move(bytes);
  return true;
}

bool WriteParcelFiles(const std::string& json_path, const std::string& zip_path, const std::string& text,
                      std::string* error) {
  if (!WriteTextAtomically(json_path, text, error)) return false;
  // The archive is built in memory and written like the JSON: through a
  // temporary file renamed into place.
  wxMemoryOutputStream buffer;
  {
    wxZipOutputStream zip(buffer, -1, wxConvUTF8);
    if (!zip.PutNextEntry("parcel.json", wxDateTime::Now())) return Fail(error, "zip PutNextEntry failed");
    zip.Write(text.data(), text.size());
    if (!zip.Close()) return Fail(error, "zip Close failed");
  }
  const wxStreamBuffer* b = buffer.GetOutputStreamBuffer();
  const std::string bytes(static_cast<const char*>(b->GetBufferStart()), b->GetIntPosition());
  std::string why;
  if (!WriteTextAtomically(zip_path, bytes, &why))
    return Fail(error, why.rfind("rename failed", 0) == 0 ? "zip rename failed" : "cannot open zip temp");
  return true;
}

}  // namespace orvane
