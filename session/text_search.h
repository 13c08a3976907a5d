// TextSearch: which listed messages hold a text in their own text, each read again
// from its mail file on a thread of the search's own. The answer crosses to the
// receiving thread once every message has been read; a new search, or Stop, ends the
// one before without an answer.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/message_filter.h"
#include "session/crossing.h"
#include "session/recovery_session.h"

namespace rescuva::session {

class TextSearch {
 public:
  explicit TextSearch(Crossing& crossing) : crossing_(crossing) {}
  TextSearch(const TextSearch&) = delete;
  TextSearch& operator=(const TextSearch&) = delete;
  ~TextSearch() { Stop(); }

  // Searches the messages `keys` names in `session` (which outlives the search or sees
  // Stop first), each extracted with `repair`, for `text` (any case); `found` gets the
  // keys of those holding it.
  void Start(const RecoverySession& session, engine::Repair repair,
             std::vector<catalogue::MessageKey> keys, std::string text,
             std::function<void(std::set<catalogue::MessageKey>)> found);
  // Ends a running search and waits for its thread.
  void Stop();

 private:
  Crossing& crossing_;
  std::atomic<bool> stop_{false};
  // The number of the newest search, shared with answers on their way.
  std::shared_ptr<std::atomic<unsigned>> newest_ = std::make_shared<std::atomic<unsigned>>(0);
  std::thread thread_;
};

}  // namespace rescuva::session
