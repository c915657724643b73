// Starting fetches, the background job, the schedule and the result.
//
// One job runs at a time on its own thread. It reaches the plug-in and the
// message window only through the hand-off below, under the hand-off lock;
// shutting down closes the hand-off first, so a job that outlives the
// plug-in posts nothing and touches nothing. The fetch lock guards only
// fetch busy and fetch pending and is never held while fetching.
#include <wx/filename.h>
#include <wx/utils.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <system_error>

#include "common/clock.h"
#include "exchange/arrival_log.h"
#include "fetch/extra_sources.h"
#include "fetch/fetch_cache.h"
#include "fetch/fetch_control.h"
#include "fetch/fetch_job.h"
#include "fetch/navarea_fetch.h"
#include "fetch/portal.h"
#include "orvane_pi/orvane_pi.h"
#include "orvane_pi/translate.h"
#include "parse/bulletin.h"
#include "parse/geography.h"
#include "parse/ingest.h"
#include "settings/settings.h"
#include "ui/nt_dialog.h"

using namespace orvane;

namespace orvane {

struct FetchHandoff {
  std::mutex lock;
  std::condition_variable finished;
  bool open = true;      // cleared at shutdown: from then on a job touches nothing
  bool running = false;  // a job has started and not yet let go of the hand-off
  int posted = 0;        // results handed to the window
};

}  // namespace orvane

namespace {

// The result of one job, carried by the queued event to the window. The
// event owns it until the window's handler takes it.
struct FetchResultData : wxClientData {
  explicit FetchResultData(FetchResultPayload p) : payload(std::move(p)) {}
  FetchResultPayload payload;
};

class FetchResultEvent : public wxCommandEvent {
 public:
  explicit FetchResultEvent(FetchResultPayload p) : wxCommandEvent(wxEVT_MENU, kFetchResultEventId) {
    SetClientObject(new FetchResultData(std::move(p)));
  }
  FetchResultEvent(const FetchResultEvent& other) : wxCommandEvent(other) {
    // The base copy shares the payload pointer; each event owns its own.
    auto* data = dynamic_cast<FetchResultData*>(other.GetClientObject());
    SetClientObject(data ? new FetchResultData(data->payload) : nullptr);
  }
  ~FetchResultEvent() override { delete GetClientObject(); }
  wxEvent* Clone() const override { return new FetchResultEvent(*this); }
};

// What the job needs of the user-interface side, valid only while the
// hand-off is open.
struct JobContext {
  FetchJob job;
  std::shared_ptr<FetchHandoff> handoff;
  orvane_pi* plugin = nullptr;
  wxEvtHandler* window = nullptr;
  std::string portal;
};

void RunFetchJob(const JobContext& ctx) {
  const NavareasFetchResult navareas = FetchNavareas(ctx.job.ids, ctx.portal);
  FetchResultPayload result;
  result.first_id = ctx.job.first_id;
  result.ok = navareas.ok;
  result.text = navareas.text;
  result.status = navareas.status;
  result.failed_ids = navareas.failed_ids;
  result.fresh = navareas.fresh;
  AppendExtraSources(ctx.job, &result.text, &result.status, &result.ok, &result.fresh);

  FetchHandoff& h = *ctx.handoff;
  {
    std::lock_guard<std::mutex> lock(h.lock);
    if (h.open) {
      if (ctx.window) {
        wxQueueEvent(ctx.window, new FetchResultEvent(std::move(result)));
        ++h.posted;
      } else {
        ctx.plugin->DropFetchResult();
      }
    }
    h.running = false;
  }
  h.finished.notify_all();
}

std::string JoinNumerals(const std::vector<int>& ids) {
  std::string out;
  for (int id : ids) {
    if (!out.empty()) out += ',';
    out += NavareaNumeral(id);
  }
  return out;
}

bool InList(const std::vector<int>& ids, int id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }

int32_t MaskOf(const std::vector<int>& ids) {
  int32_t mask = 0;
  for (int id : ids)
    if (id >= 1 && id <= kNavareaCount) mask |= 1 << (id - 1);
  return mask;
}

std::string LocalNow() { return FormatLocalTime(NowUtcMs(), "%Y-%m-%d %H:%M:%S"); }

}  // namespace

void orvane_pi::StartFetch() {
  ++fetch_starts_;
  std::vector<int> ids;
  if (dialog_) ids = dialog_->CheckedNavareas();
  if (ids.empty()) ids = SelectedNavareas();
  if (settings_.route_filter)
    for (int a : RouteNavareas())
      if (!InList(ids, a)) ids.push_back(a);
  if (settings_.navarea_auto && have_fix_) {
    const int own = NavareaOf(own_lat_, own_lon_);
    if (own >= 1 && own <= kNavareaCount && !InList(ids, own)) ids.push_back(own);
  }
  if (ids.empty())
    for (int n = 1; n <= kNavareaCount; ++n) ids.push_back(n);

  const int32_t mask = MaskOf(ids);
  if (mask != settings_.navarea_mask) SetNavareaMask(mask);
  current_navarea_ = ids.front();
  status_text_ = FromWx(wxString::Format(TrWx("Fetching %zu NAVAREA(s) from Quorvant\xE2\x80\xA6"), ids.size()));
  RefreshStatus();
  LaunchFetch(ids);
}

void orvane_pi::LaunchFetch(const std::vector<int>& ids) {
  if (ids.empty()) return;
  bool busy;
  {
    std::lock_guard<std::mutex> lock(fetch_lock_);
    busy = fetch_busy_;
    if (busy)
      fetch_pending_ = true;
    else
      fetch_busy_ = true;
  }
  if (busy) {
    status_text_ = Tr("Fetch already in progress\xE2\x80\xA6");
    RefreshStatus();
    return;
  }
  status_text_ = FromWx(wxString::Format(TrWx("Fetching %s\xE2\x80\xA6"), ToWx(JoinNumerals(ids))));
  RefreshStatus();

  PublishIncludeArchive(settings_.include_archive);
  JobContext ctx;
  ctx.job.ids = ids;
  ctx.job.first_id = ids.front();
  ctx.job.coastal = settings_.coastal_feeds_enabled;
  ctx.job.admiralty = settings_.admiralty_html_enabled;
  ctx.job.nga = settings_.nga_html_enabled;
  // The job keeps its own copy: the settings dialog may change the text meanwhile.
  ctx.job.extra_feed_urls = settings_.extra_feed_urls;
  ctx.plugin = this;
  ctx.window = dialog_;
  ctx.portal = PortalBaseUrl();
  // The previous job has handed over its result (busy was clear), so it is
  // at its very end; collect it before starting the next.
  if (fetch_thread_.joinable()) fetch_thread_.join();
  bool closed = !handoff_;
  if (handoff_) {
    std::lock_guard<std::mutex> lock(handoff_->lock);
    closed = !handoff_->open;
  }
  // A hand-off closed by a shutdown stays closed for the jobs it served.
  if (closed) handoff_ = std::make_shared<FetchHandoff>();
  ctx.handoff = handoff_;
  {
    std::lock_guard<std::mutex> lock(handoff_->lock);
    handoff_->running = true;
  }
  std::string failure;
  try {
    fetch_thread_ = std::thread(RunFetchJob, std::move(ctx));
  } catch (const std::system_error& e) {
    failure = e.what();
  }
  if (failure.empty()) return;
  {
    std::lock_guard<std::mutex> lock(handoff_->lock);
    handoff_->running = false;
  }
  {
    std::lock_guard<std::mutex> lock(fetch_lock_);
    fetch_busy_ = false;
  }
  status_text_ = FromWx(wxString::Format(TrWx("FAIL \xE2\x80\x94 fetch thread could not be started (%s)"),
                                         ToWx(failure)));
  RefreshStatus();
}

void orvane_pi::DropFetchResult() {
  std::lock_guard<std::mutex> lock(fetch_lock_);
  fetch_busy_ = false;
}

int orvane_pi::fetch_results_posted() const {
  if (!handoff_) return 0;
  std::lock_guard<std::mutex> lock(handoff_->lock);
  return handoff_->posted;
}

void orvane_pi::StopFetchThread() {
  if (handoff_) {
    std::lock_guard<std::mutex> lock(handoff_->lock);
    handoff_->open = false;
  }
  // Ends every wait and aborts the transfer in progress.
  SetFetchCancel(true);
  SetFetchShutdown(true);
  if (!fetch_thread_.joinable()) return;
  bool finished;
  {
    std::unique_lock<std::mutex> lock(handoff_->lock);
    finished = handoff_->finished.wait_for(lock, std::chrono::milliseconds(kFetchThreadJoinMs),
                                           [this] { return !handoff_->running; });
  }
  if (finished) {
    fetch_thread_.join();
  } else {
    // The hand-off is closed: the thread can reach nothing of ours.
    fetch_thread_.detach();
  }
}

void orvane_pi::OnScheduleTick() {
  if (!settings_.fetch_schedule_enabled) return;
  bool deferred = false;
  {
    std::lock_guard<std::mutex> lock(fetch_lock_);
    if (fetch_busy_) {
      fetch_pending_ = true;
      deferred = true;
    }
  }
  if (!deferred) {
    StartFetch();
    return;
  }
  status_text_ = Tr("Hourly tick deferred \xE2\x80\x94 fetch in progress");
  RefreshStatus();
}

void orvane_pi::OnFetchResult(bool ok, const std::string& text, const std::string& status, int first_id,
                              const std::vector<int>& failed_ids, int fresh) {
  bool pending;
  {
    std::lock_guard<std::mutex> lock(fetch_lock_);
    fetch_busy_ = false;
    pending = fetch_pending_;
    fetch_pending_ = false;
  }
  current_navarea_ = first_id;

  // The failed NAVAREAs lead the status line, so it says which they were.
  std::string failed = failed_ids.empty() ? std::string() : Tr("failed NAVAREA ") + JoinNumerals(failed_ids);
  const std::string fail_status = failed.empty() ? status : failed + (status.empty() ? "" : ": " + status);
  // Nothing fetched afresh: the caches stand in for every NAVAREA, which is
  // a failed fetch however much text came back.
  const bool cache_only = ok && fresh == 0;

  if (cache_only) {
    const MessageStore previous = std::move(store_);
    store_ = MergeFetchResult(previous, text, first_id).store;
    const bool stale = IsNavareaCacheStale(first_id, kStaleCacheHours);
    status_text_ = FromWx(wxString::Format(TrWx("FAIL \xE2\x80\x94 %s \xE2\x80\x94 keeping/using %s cache (no wipe)"),
                                           ToWx(fail_status), TrWx(stale ? "STALE" : "last-good")));
  } else if (ok) {
    const MessageStore previous = std::move(store_);
    MergeResult r = MergeFetchResult(previous, text, first_id);
    store_ = std::move(r.store);
    WriteArrivalLog(previous, store_);  // a log that cannot be written is skipped
    RunSarAlarm(previous);
    const std::string suffix =
        status.empty() ? std::string() : FromWx(wxString::Format(TrWx(" [%s]"), ToWx(status)));
    if (failed.empty())
      status_text_ = FromWx(wxString::Format(TrWx("OK %s \xE2\x80\x94 new=%zu kept=%zu areas=%zu ns=%zu%s geoms %zu"),
                                             ToWx(LocalNow()), r.new_count, r.kept, r.areas.size(),
                                             r.sources.size(), ToWx(suffix), r.drawable));
    else
      status_text_ = FromWx(wxString::Format(
          TrWx("PARTIAL %s \xE2\x80\x94 %s \xE2\x80\x94 new=%zu kept=%zu areas=%zu ns=%zu%s geoms %zu"),
          ToWx(LocalNow()), ToWx(failed), r.new_count, r.kept, r.areas.size(), r.sources.size(), ToWx(suffix),
          r.drawable));
  } else {
    std::string cached;
    if (store_.empty() && ReadNavareaCache(first_id, &cached)) {
      store_ = ParseBulletin(cached);
      const bool stale = IsNavareaCacheStale(first_id, kStaleCacheHours);
      status_text_ = FromWx(wxString::Format(TrWx("FAIL \xE2\x80\x94 %s \xE2\x80\x94 keeping/using %s cache (no wipe)"),
                                             ToWx(fail_status), TrWx(stale ? "STALE" : "last-good")));
      RefreshStatus();
      // The list shows what the chart now draws.
      if (dialog_) dialog_->RefreshList();
      if (pending) StartFetch();
      return;
    }
    status_text_ =
        FromWx(wxString::Format(TrWx("FAIL \xE2\x80\x94 %s \xE2\x80\x94 previous overlay KEPT (no wipe on fail)"),
                                ToWx(fail_status)));
  }
  RefreshStatus();
  if (dialog_) dialog_->RefreshList();
  if (pending) StartFetch();
}

void orvane_pi::HandleFetchResultEvent(orvane_pi* plugin, wxCommandEvent& event) {
  // Taken from the event here, so it is released whatever happens next.
  std::unique_ptr<wxClientData> owned(event.GetClientObject());
  event.SetClientObject(nullptr);
  auto* data = dynamic_cast<FetchResultData*>(owned.get());
  if (!data || !plugin) return;
  const FetchResultPayload& p = data->payload;
  plugin->OnFetchResult(p.ok, p.text, p.status, p.first_id, p.failed_ids, p.fresh);
}

bool orvane_pi::OpenArrivalLog() {
  const std::string path = ArrivalLogPath();  // creates the folder; the file need not exist
  const size_t slash = path.rfind('/');
  if (path.empty() || slash == std::string::npos) return false;
  const std::string dir = path.substr(0, slash);
  // The desktop's own opener, handed the folder as one argument; no shell.
  if (wxLaunchDefaultApplication(ToWx(dir))) return true;
  return wxLaunchDefaultBrowser(wxFileName::FileNameToURL(wxFileName::DirName(ToWx(dir))));
}
