// The ship's NAVTEX receiver in the plug-in, in the test host: sentences the
// chart plotter passes on and a recorded file join the store once each,
// arrivals are logged, SAR traffic rings the alarm, the receivers' letter
// selection holds, and a garbled message is kept and marked.
#include <gtest/gtest.h>

#include <wx/frame.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "common/clock.h"
#include "common/paths.h"
#include "fetch/fetch_control.h"
#include "orvane_pi/orvane_pi.h"
#include "receiver/nrx.h"
#include "receiver/receiver_input.h"
#include "test_host.h"
#include "test_support.h"
#include "wx_pump.h"

extern "C" opencpn_plugin_118* create_pi(void* host);

namespace orvane {
namespace {

using testhost::Host;

const std::string kLog = ORVANE_TEST_DATA_DIR "/navtex_receiver.nmea";

class PluginReceiverTest : public testing::Test {
 protected:
  void SetUp() override {
    testhost::Reset();
    frame_ = new wxFrame(nullptr, wxID_ANY, "canvas");
    Host().canvas = frame_;
    SetFetchSleeper([](int64_t) { return true; });
    plugin_.reset(static_cast<orvane_pi*>(create_pi(nullptr)));
    EXPECT_EQ(plugin_->Init(), 0x0008891F);
    EXPECT_TRUE(test::PumpUntil([&] { return !plugin_->fetch_busy(); }));
    plugin_->LoadBulletinText("");  // an empty store
  }
  void TearDown() override {
    plugin_->DeInit();
    plugin_.reset();
    frame_->Destroy();
    SetFetchSleeper(nullptr);
  }
  void UseSource(ReceiverSource source, const std::string& file = std::string()) {
    Settings s = plugin_->settings();
    s.receiver_source = static_cast<int32_t>(source);
    s.receiver_file = file;
    plugin_->SetReceiverSettings(s);
  }
  void PassOn(const std::string& text) {
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
      wxString s = wxString::FromUTF8(line.c_str());
      plugin_->SetNMEASentence(s);
    }
  }
  size_t Received() const {
    size_t n = 0;
    for (const MsiMessage& m : plugin_->store()) n += m.source.rfind("receiver", 0) == 0;
    return n;
  }

  test::TempDataRoot root_;
  wxFrame* frame_ = nullptr;
  std::unique_ptr<orvane_pi> plugin_;
};

TEST_F(PluginReceiverTest, TheChartPlottersSentencesJoinTheStoreOnce) {
  // Off: sentences are not ours to read.
  PassOn(test::ReadFile(kLog));
  EXPECT_EQ(Received(), 0u);
  EXPECT_EQ(plugin_->ReceiverStatusText(), "Receiver: off");

  UseSource(ReceiverSource::kHost);
  auto logged = [] {
    const std::string log = test::ReadFile(ArrivalLogFile());
    return std::count(log.begin(), log.end(), '\n');
  };
  const auto before = logged();
  PassOn(test::ReadFile(kLog));
  // Nine NRX messages in the log (the raw frames are no NMEA; the repeat
  // of the wreck on 4209.5 kHz is not news).
  EXPECT_EQ(Received(), 9u);
  EXPECT_EQ(plugin_->store().size(), 9u);
  EXPECT_EQ(plugin_->sar_alarms(), 2);  // two SAR messages, each rings
  EXPECT_EQ(logged() - before, 9);
  // The garbled Murmansk message is kept and marked.
  const auto it = std::find_if(plugin_->store().begin(), plugin_->store().end(),
                               [](const MsiMessage& m) { return m.station_id == "HA11"; });
  ASSERT_NE(it, plugin_->store().end());
  EXPECT_EQ(it->source, "receiver:garbled");
  EXPECT_EQ(plugin_->ReceiverStatusText().rfind(
                "Receiver: the chart plotter's NMEA \xE2\x80\x94 9 messages, 1 garbled, last ", 0),
            0u)
      << plugin_->ReceiverStatusText();

  // The next broadcast of the same messages adds nothing and rings nothing.
  PassOn(test::ReadFile(kLog));
  EXPECT_EQ(plugin_->store().size(), 9u);
  EXPECT_EQ(plugin_->sar_alarms(), 2);
  EXPECT_EQ(logged() - before, 9);
}

TEST_F(PluginReceiverTest, TheReceiversLetterSelectionHoldsButNeverForMandatorySubjects) {
  Settings s = plugin_->settings();
  s.receiver_source = static_cast<int32_t>(ReceiverSource::kHost);
  s.receiver_b1_mask = kAllB1Letters & ~(1 << ('O' - 'A'));  // not transmitter O
  s.receiver_b2_mask = 0;                                       // no optional subject
  plugin_->SetReceiverSettings(s);
  EXPECT_EQ(plugin_->settings().receiver_b2_mask, LoadB2Mask(0, nullptr));  // A B D L stay
  PassOn(NrxSentence("CRNRX,1,1,1,OA42,2,,,,,,,A,WRECK 53-12.6N 002-41.3E") + "\n" +
         NrxSentence("CRNRX,1,1,2,IE01,2,,,,,,,A,FORECAST LIGHT AND VARIABLE") + "\n" +
         NrxSentence("CRNRX,1,1,3,ID02,2,,,,,,,A,MAN OVERBOARD 53-10N 002-40E") + "\n");
  ASSERT_EQ(plugin_->store().size(), 1u);
  EXPECT_EQ(plugin_->store()[0].station_id, "ID02");
}

TEST_F(PluginReceiverTest, ARecordedFileIsReadOnItsOwnThread) {
  UseSource(ReceiverSource::kFile, kLog);
  // Eleven messages: the two raw frames are read here too.
  ASSERT_TRUE(test::PumpUntil([&] { return Received() == 11; }));
  ASSERT_TRUE(test::PumpUntil([&] {
    return plugin_->ReceiverStatusText().find("11 messages") != std::string::npos;
  })) << plugin_->ReceiverStatusText();
  // Switched off, the input stops and what came stays.
  UseSource(ReceiverSource::kOff);
  EXPECT_EQ(Received(), 11u);
  EXPECT_EQ(plugin_->ReceiverStatusText(), "Receiver: off");
  // A file that is not there says so.
  UseSource(ReceiverSource::kFile, "/nonexistent/log.nmea");
  ASSERT_TRUE(test::PumpUntil([&] {
    return plugin_->ReceiverStatusText().find("cannot open /nonexistent/log.nmea") != std::string::npos;
  })) << plugin_->ReceiverStatusText();
}

}  // namespace
}  // namespace orvane
