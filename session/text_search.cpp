#include "session/text_search.h"

namespace rescuva::session {

void TextSearch::Start(const RecoverySession& session, engine::Repair repair,
                       std::vector<catalogue::MessageKey> keys, std::string text,
                       std::function<void(std::set<catalogue::MessageKey>)> found) {
  Stop();
  stop_ = false;
  const unsigned search = ++*newest_;
  thread_ = std::thread([this, &session, repair, keys = std::move(keys), text = std::move(text),
                         found = std::move(found), search] {
    const catalogue::MessageFilter filter{std::nullopt, std::nullopt, text};
    std::set<catalogue::MessageKey> holding;
    std::vector<uint8_t> bytes;
    for (const catalogue::MessageKey& key : keys) {
      if (stop_) return;
      if (!session.Source(key.first).ExtractToBytes(key.second, repair, bytes)) continue;
      if (filter.TextMatches({reinterpret_cast<const char*>(bytes.data()), bytes.size()})) {
        holding.insert(key);
      }
    }
    crossing_.Post([newest = newest_, search, found, holding = std::move(holding)]() mutable {
      if (search == *newest) found(std::move(holding));
    });
  });
}

void TextSearch::Stop() {
  stop_ = true;
  ++*newest_;  // an answer already on its way is dropped
  if (thread_.joinable()) thread_.join();
}

}  // namespace rescuva::session
