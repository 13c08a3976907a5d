#include "msgbox/remembered_answers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <memory>

namespace rescuva::msgbox {
namespace {

std::unique_ptr<QSettings> Store(const MessageBoxOptions& options) {
  const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  if (options.company_name.empty()) return std::make_unique<QSettings>(program, "PPMessageBox");
  auto store = std::make_unique<QSettings>(QString::fromStdString(options.company_name), program);
  store->beginGroup("PPMessageBox");
  return store;
}

QString ValueName(const MessageBoxOptions& options) {
  return QString::fromStdString(options.remember_prefix) + QString::number(options.remember_number);
}

}  // namespace

int RememberedAnswer(const MessageBoxOptions& options) {
  if (options.remember_prefix.empty()) return 0;
  return Store(options)->value(ValueName(options), 0).toInt();
}

void RememberAnswer(const MessageBoxOptions& options, int answer) {
  if (options.remember_prefix.empty()) return;
  Store(options)->setValue(ValueName(options), answer);
}

}  // namespace rescuva::msgbox
