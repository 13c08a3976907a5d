#include "app/catalogue_pipeline.h"

#include "views/message_loader.h"

namespace rescuva::app {

CataloguePipeline::CataloguePipeline(Listed listed)
    : listed_(std::move(listed)), lister_([this] { ListQueued(); }) {}

CataloguePipeline::~CataloguePipeline() {
  Finish();
}

void CataloguePipeline::Add(const std::string& path, bool deleted, uint64_t offset) {
  if (auto bytes = views::ReadMessageBytes(path)) queue_.Push({std::move(*bytes), deleted, offset});
}

void CataloguePipeline::ListQueued() {
  while (auto message = queue_.Pop()) {
    if (auto row = MakeCatalogueRow(message->bytes, message->deleted, message->offset)) {
      listed_(*row, message->bytes);
    }
  }
}

void CataloguePipeline::Finish() {
  queue_.Close();
  if (lister_.joinable()) lister_.join();
}

}  // namespace rescuva::app
