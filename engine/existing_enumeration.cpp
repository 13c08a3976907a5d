// Stage 1: the messages the folder's index still lists.
#include "engine/dbx_recovery_engine.h"
#include "engine/index_reader.h"

namespace rescuva::engine {

void DbxRecoveryEngine::FindExistingMessages() {
  reporter_.SetProgress(0);
  ListIndexedMessages(0, true);
}

void DbxRecoveryEngine::ListIndexedMessages(int64_t shift, bool report_progress) {
  IndexReader index(*source_, shift);
  uint64_t count = 0;
  const auto slots = index.Walk(count);
  read_failed_ = read_failed_ || index.ReadFailed();
  if (!slots) return;
  const uint64_t length = source_->Length();
  for (const IndexReader::Slot& slot : *slots) {
    if (Stopping()) break;
    if (report_progress) reporter_.SetProgress(static_cast<int>(slot.position * 100 / count));
    index.ReadRecord(slot.info_offset);
    if ((index.PresenceMask() & (1u << kFirstBlockAttribute)) == 0) continue;
    const uint32_t own = index.AttributeValue(kFirstBlockAttribute);
    const ChainReading reading = ReadingAt(own, shift);
    const uint64_t first =
        reading.places ? reading.places->front().position : reading.PositionOf(own, length);
    known_blocks_.Insert(first);
    const RecordFacts facts = index.FactsOfRecord();
    RecoverMessage(first, false, reading, &facts);
  }
}

}  // namespace rescuva::engine
