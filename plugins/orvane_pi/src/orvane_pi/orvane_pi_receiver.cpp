// The ship's NAVTEX receiver in the plug-in: the input the settings choose,
// or the chart plotter's own NMEA sentences; complete messages reach the
// user-interface thread and join the store.
#include <wx/app.h>

#include <cstdio>
#include <ctime>

#include "common/clock.h"
#include "exchange/arrival_log.h"
#include "exchange/parcel_exchange.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"
#include "parse/bulletin.h"
#include "parse/identity.h"
#include "orvane_pi/receiver_link.h"


using namespace orvane;

namespace {

ReceiverConfig ConfigOf(const Settings& s) {
  ReceiverConfig c;
  c.source = static_cast<ReceiverSource>(s.receiver_source);
  c.serial_device = s.receiver_serial_device;
  c.baud = s.receiver_baud;
  c.tcp_endpoint = s.receiver_tcp;
  c.udp_endpoint = s.receiver_udp;
  c.file_path = s.receiver_file;
  return c;
}

// The receivers' own selection: a transmitter letter and a subject letter
// the user left on; A, B, D and L subjects are always kept.
bool Selected(const MsiMessage& m, const Settings& s) {
  if (m.b1 >= 'A' && m.b1 <= 'Z' && !(s.receiver_b1_mask & (1 << (m.b1 - 'A')))) return false;
  if (m.b2 != '?' && !IsB2Visible(s.receiver_b2_mask, m.b2) && B2ClassOf(m.b2) != B2_MANDATORY) return false;
  return true;
}

}  // namespace

void orvane_pi::StartReceiver() {
  if (!receiver_) receiver_ = std::make_unique<ReceiverLink>();
  StopReceiver();
  ReceiverLink& r = *receiver_;
  *r.alive = this;
  r.config = ConfigOf(settings_);
  r.state = r.config.source == ReceiverSource::kOff ? "off" : "starting";
  r.connected = r.config.source == ReceiverSource::kHost;
  r.host_sentences = NrxReassembler();
  std::shared_ptr<orvane_pi*> alive = r.alive;
  std::string error;
  const bool ok = r.input.Start(
      r.config,
      [alive](ReceiverBatch b) {
        // On the reader thread: hand over to the user-interface thread,
        // where the plug-in may already be gone.
        if (!wxTheApp) return;
        wxTheApp->CallAfter([alive, b = std::move(b)]() mutable {
          if (*alive) (*alive)->OnReceiverBatch(std::move(b));
        });
      },
      &error);
  if (!ok) {
    r.state = error;
    SetStatusText(ReceiverStatusText());
  }
}

void orvane_pi::StopReceiver() {
  if (!receiver_) return;
  receiver_->input.Stop();
  *receiver_->alive = nullptr;
  // A fresh token for the next start: batches queued for the old input stay unread.
  receiver_->alive = std::make_shared<orvane_pi*>(nullptr);
}

void orvane_pi::SetReceiverSettings(const Settings& p) {
  settings_.receiver_source = LimitReceiverSource(p.receiver_source);
  settings_.receiver_serial_device = p.receiver_serial_device;
  settings_.receiver_baud = LimitReceiverBaud(p.receiver_baud);
  settings_.receiver_tcp = p.receiver_tcp;
  settings_.receiver_udp = p.receiver_udp;
  settings_.receiver_file = p.receiver_file;
  settings_.receiver_garbled_percent = LimitGarbledPercent(p.receiver_garbled_percent);
  settings_.receiver_b1_mask = p.receiver_b1_mask;
  settings_.receiver_b2_mask = LoadB2Mask(p.receiver_b2_mask, nullptr);
  SaveSettings();
  StartReceiver();
  RefreshStatus();
}

void orvane_pi::SetNMEASentence(wxString& sentence) {
  if (!receiver_ || receiver_->config.source != ReceiverSource::kHost) return;
  const std::string line = FromWx(sentence);
  if (line.find("NRX") == std::string::npos) return;  // positions and the rest are not ours
  ReceiverBatch b;
  receiver_->host_sentences.Feed(line, NowMonotonicMs(), &b.frames);
  b.counters = receiver_->host_sentences.counters();
  b.connected = true;
  if (!b.frames.empty()) OnReceiverBatch(std::move(b));
}

void orvane_pi::OnReceiverBatch(ReceiverBatch b) {
  if (!receiver_) return;
  ReceiverLink& r = *receiver_;
  if (!b.state.empty()) {
    r.state = b.state;
    r.connected = b.connected;
  }
  std::vector<MsiMessage> received;
  for (const ReceivedFrame& f : b.frames) {
    // A repeat on another frequency or at the next broadcast is not news.
    if (!r.history.IsNew(f.code, MessageFingerprint(f.text), NowUtcMs())) {
      ++r.repeats;
      continue;
    }
    const bool garbled = IsGarbled(f, settings_.receiver_garbled_percent);
    for (MsiMessage& m : ParseBulletin(f.text)) {
      if (!Selected(m, settings_)) continue;
      // A garbled message stays, its positions drawn as doubtful.
      m.source = garbled ? "receiver:garbled" : "receiver";
      received.push_back(std::move(m));
    }
    ++r.messages;
    if (garbled) ++r.garbled;
    r.last_utc_ms = NowUtcMs();
  }
  if (!received.empty()) {
    const MessageStore previous = store_;
    MergeImportedMessages(&store_, received);
    NormaliseMessages(&store_);
    WriteArrivalLog(previous, store_);  // a log that cannot be written is skipped
    status_text_ = ReceiverStatusText();
    RunSarAlarm(previous);
    RequestCanvasRefresh();
    RefreshStatus();
  } else if (!b.state.empty()) {
    SetStatusText(ReceiverStatusText());
  }
}

std::string orvane_pi::ReceiverStatusText() const {
  if (!receiver_ || receiver_->config.source == ReceiverSource::kOff) return Tr("Receiver: off");
  const ReceiverLink& r = *receiver_;
  if (!r.connected && r.state != "file replayed" && r.state != "starting")
    return FromWx(wxString::Format(TrWx("Receiver: %s \xE2\x80\x94 %s"), ToWx(DescribeReceiverSource(r.config)),
                                   ToWx(r.state)));
  std::string last;
  if (r.last_utc_ms > 0) {
    const std::time_t t = static_cast<std::time_t>(r.last_utc_ms / 1000);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::snprintf(buf, sizeof buf, ", last %02d:%02dZ", tm.tm_hour, tm.tm_min);
    last = buf;
  }
  return FromWx(wxString::Format(TrWx("Receiver: %s \xE2\x80\x94 %lld messages, %lld garbled%s"),
                                 ToWx(DescribeReceiverSource(r.config)), static_cast<long long>(r.messages),
                                 static_cast<long long>(r.garbled), ToWx(last)));
}
