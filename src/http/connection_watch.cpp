#include "http/connection_watch.h"

#include <utility>
#include <vector>

namespace winhelper::mcp {

namespace {

using std::chrono::steady_clock;

std::string duration_text(std::chrono::milliseconds d) {
  if (d.count() % 1000 == 0) return std::to_string(d.count() / 1000) + " s";
  return std::to_string(d.count()) + " ms";
}

}  // namespace

std::optional<steady_clock::time_point> phase_deadline(const HttpDeadlines& deadlines,
                                                       ConnectionPhase phase,
                                                       steady_clock::time_point now) {
  switch (phase) {
    case ConnectionPhase::Header:
      return now + deadlines.header;
    case ConnectionPhase::NextHeader:
      return now + deadlines.idle + deadlines.header;
    case ConnectionPhase::Transfer:
      return now + deadlines.transfer;
    case ConnectionPhase::Handling:
      return std::nullopt;
  }
  return std::nullopt;
}

std::string connection_refused_line(const std::string& peer, const std::string& reason) {
  std::string from = peer.empty() ? "a connection" : "connection from " + peer;
  return "[mcp-http] refused " + from + ": " + reason;
}

std::string cut_off_reason(const HttpDeadlines& deadlines, ConnectionPhase phase) {
  if (phase == ConnectionPhase::Transfer) {
    return "request body or response not transferred within " + duration_text(deadlines.transfer);
  }
  return "request header not complete within " + duration_text(deadlines.header);
}

ConnectionWatch::ConnectionWatch(HttpDeadlines deadlines, Log log)
    : deadlines_(deadlines), log_(std::move(log)), thread_([this] { run(); }) {}

ConnectionWatch::~ConnectionWatch() {
  {
    std::lock_guard<std::mutex> hold(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

std::uint64_t ConnectionWatch::begin(SocketHold hold, std::string peer) {
  std::uint64_t ticket;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ticket = next_ticket_++;
    watched_.emplace(
        ticket, Watched{std::move(hold), std::move(peer), ConnectionPhase::Header,
                        phase_deadline(deadlines_, ConnectionPhase::Header, steady_clock::now())});
  }
  changed_.notify_all();
  return ticket;
}

void ConnectionWatch::enter(std::uint64_t ticket, ConnectionPhase phase) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = watched_.find(ticket);
    if (it == watched_.end() || it->second.cut) return;
    it->second.phase = phase;
    it->second.deadline = phase_deadline(deadlines_, phase, steady_clock::now());
  }
  changed_.notify_all();
}

void ConnectionWatch::end(std::uint64_t ticket) {
  std::optional<SocketHold> released;  // closed outside the lock
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = watched_.find(ticket);
  if (it == watched_.end()) return;
  released.emplace(std::move(it->second.hold));
  watched_.erase(it);
}

void ConnectionWatch::run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    std::optional<steady_clock::time_point> earliest;
    for (const auto& [ticket, w] : watched_) {
      if (w.deadline && (!earliest || *w.deadline < *earliest)) earliest = w.deadline;
    }
    if (earliest) {
      changed_.wait_until(lock, *earliest);
    } else {
      changed_.wait(lock);
    }
    auto now = steady_clock::now();
    std::vector<std::pair<std::uint64_t, std::string>> due;
    for (auto& [ticket, w] : watched_) {
      if (!w.deadline || *w.deadline > now) continue;
      due.emplace_back(ticket, connection_refused_line(w.peer, cut_off_reason(deadlines_, w.phase)));
      w.deadline.reset();
      w.cut = true;  // no later phase is watched
    }
    if (due.empty()) continue;
    // Logged outside the lock (a slow log must not hold up the connections),
    // and before the shutdown, so the line is out by the time the client sees
    // the end. A connection that ended meanwhile needs no shutdown.
    lock.unlock();
    for (const auto& [ticket, line] : due) {
      if (log_) log_(line);
    }
    lock.lock();
    for (const auto& [ticket, line] : due) {
      if (auto it = watched_.find(ticket); it != watched_.end()) it->second.hold.shut_down();
    }
  }
}

}  // namespace winhelper::mcp
