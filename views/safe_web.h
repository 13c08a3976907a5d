// What keeps a recovered message harmless in the browser engine: requests that would
// leave the machine are refused (and remembered), scripts and plugins never run.
#pragma once

#include <QStringList>
#include <QWebEngineUrlRequestInterceptor>
#include <mutex>

class QWebEnginePage;
class QWebEngineProfile;

namespace rescuva::views {

// Lets through what lies in the file itself or on this machine; refuses the rest. It
// runs on the browser's own thread.
class LocalOnly : public QWebEngineUrlRequestInterceptor {
 public:
  using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
  void interceptRequest(QWebEngineUrlRequestInfo& info) override;
  QStringList Blocked();

 private:
  std::mutex mutex_;
  QStringList blocked_;
};

// No cache, and every request through `interceptor`, which outlives the profile.
void KeepLocal(QWebEngineProfile& profile, LocalOnly& interceptor);
// No script, no plugin, no remote address from a local page; pictures shown.
void KeepInert(QWebEnginePage& page);

}  // namespace rescuva::views
