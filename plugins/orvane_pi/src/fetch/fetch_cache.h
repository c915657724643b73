// The fetch cache on disk: the last good text of each NAVAREA with its
// metadata, coastal hub texts, the request log and the fetch error log.
// Nothing is held in memory; the folder is the state. Callable from the
// fetch thread (writes) and the user-interface thread (reads, purges):
// files are replaced atomically, so a reader sees the old or the new text.
#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// <data>/opencpn/orvane_cache, created when missing; empty when the local
// data folder is unknown.
std::string CacheDir();
// CacheDir() + "/" + name; empty when CacheDir() is empty.
std::string CachePath(const std::string& name);

// Writes bytes to path + ".tmp", flushes it to disk, moves it over path and
// flushes the folder. A failure leaves the previous file intact.
bool WriteFileAtomic(const std::string& path, const std::string& bytes);

// 64-bit FNV-1a of the bytes.
uint64_t Fnv1a64(const std::string& bytes);

// The cached text of NAVAREA n (1..21); false when none or empty.
bool ReadNavareaCache(int n, std::string* text);

// Stores the text of NAVAREA n with its metadata and validators.
bool StoreNavareaText(int n, const std::string& text, const std::string& source_url, int status,
                      const std::string& etag, const std::string& last_modified);

// The validators stored for NAVAREA n; true when either is not empty.
bool ReadCacheValidators(int n, std::string* etag, std::string* last_modified);

// True when NAVAREA n has no readable fetch time or it is older than
// max_hours (max_hours below 1: never stale).
bool IsNavareaCacheStale(int n, int max_hours);

// Stores a coastal hub text under "coastal_" + key (letters, digits, '_'
// and '-' kept).
bool WriteCoastalCache(const std::string& hub, const std::string& text);

void AppendRequestLog(const std::string& url, int status, size_t bytes, int64_t ms, const std::string& note);
void AppendFetchErrorLog(int n, const std::string& url, const std::string& error);

// Texts shown to the user pass through a translation lookup; the purge and
// report functions take it so the core needs no toolkit. Null: English.
using TranslateFn = std::string (*)(const char* english);
// english through tr (null: English as it stands).
std::string Translated(TranslateFn tr, const char* english);
// printf of the translated english, of any length.
std::string FormatTranslated(TranslateFn tr, const char* english, ...) __attribute__((format(printf, 2, 3)));

constexpr int kStaleCacheHours = 24;

// Deletes the text and metadata of every stale NAVAREA; the status text
// counts the text files deleted.
std::string PurgeStaleCache(TranslateFn tr = nullptr, int* count = nullptr);
// Deletes every plain file of the cache folder (subfolders stay).
std::string PurgeAllCache(TranslateFn tr = nullptr, int* count = nullptr);
// "Cache: N file(s), X.XX MB", or why there is nothing to report.
std::string CacheSizeReport(TranslateFn tr = nullptr);

}  // namespace orvane
