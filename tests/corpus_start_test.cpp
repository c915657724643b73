// The plug-in's start in the test host with the shipped corpus archive in
// its data folder: the archive is unpacked at the first start only, and each
// start writes one log line with the extraction and the check.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include <wx/frame.h>
#include <wx/log.h>

#include "common/clock.h"
#include "common/paths.h"
#include "orvane_pi/orvane_pi.h"
#include "test_host.h"
#include "test_support.h"

extern "C" opencpn_plugin_118* create_pi(void* host);

namespace orvane {
namespace {

namespace fs = std::filesystem;

// Keeps the log lines of its life and puts the previous log back after.
class CaptureLog : public wxLog {
 public:
  CaptureLog() : previous_(wxLog::SetActiveTarget(this)) {}
  ~CaptureLog() override { wxLog::SetActiveTarget(previous_); }
  std::vector<std::string> CorpusLines() const {
    std::vector<std::string> out;
    for (const std::string& l : lines_) {
      const size_t at = l.find("orvane_pi corpus.zip: ");  // after the log's time stamp
      if (at != std::string::npos) out.push_back(l.substr(at));
    }
    return out;
  }

 protected:
  void DoLogTextAtLevel(wxLogLevel, const wxString& msg) override { lines_.push_back(msg.utf8_string()); }

 private:
  wxLog* previous_;
  std::vector<std::string> lines_;
};

class CorpusStartTest : public testing::Test {
 protected:
  void SetUp() override {
    testhost::Reset();
    SetClock(&clock_);
    frame_ = new wxFrame(nullptr, wxID_ANY, "canvas");
    testhost::Host().canvas = frame_;
  }
  void TearDown() override {
    frame_->Destroy();
    SetClock(nullptr);
  }
  // One start and stop of a fresh plug-in object; its corpus log lines.
  std::vector<std::string> Start() {
    CaptureLog log;
    std::unique_ptr<orvane_pi> plugin(static_cast<orvane_pi*>(create_pi(nullptr)));
    EXPECT_EQ(plugin->Init(), 0x0008891F);
    plugin->DeInit();
    return log.CorpusLines();
  }

  test::TempDataRoot root_;
  ManualClock clock_;
  wxFrame* frame_ = nullptr;
};

TEST_F(CorpusStartTest, WithoutArchiveTheLooseDataIsUsed) {
  EXPECT_EQ(Start(), (std::vector<std::string>{
                         "orvane_pi corpus.zip: corpus.zip absent \xE2\x80\x94 using loose data/corpus | no zip "
                         "(optional OK)"}));
}

TEST_F(CorpusStartTest, ShippedArchiveIsUnpackedOnceAndCheckedAtEveryStart) {
  fs::create_directories(PluginDataDir());
  for (const char* f : {"corpus.corpus.zip", "MANIFEST.json"})
    fs::copy_file(fs::path(ORVANE_BUILT_DATA_DIR) / f, fs::path(PluginDataDir()) / f);
  size_t n = 0;
  for (const auto& e : fs::recursive_directory_iterator(ORVANE_DATA_DIR "/corpus")) n += e.is_regular_file();
  const std::string ok = "zip_members sha OK count=" + std::to_string(n);
  EXPECT_EQ(Start(), (std::vector<std::string>{"orvane_pi corpus.zip: corpus.zip extracted members=" +
                                               std::to_string(n) + " | " + ok}));
  EXPECT_TRUE(fs::exists(CorpusExtractDir() + "/corpus_zip.extracted"));
  EXPECT_EQ(Start(), (std::vector<std::string>{"orvane_pi corpus.zip: corpus.zip already extracted (" + ok +
                                               ") | " + ok}));
}

}  // namespace
}  // namespace orvane
