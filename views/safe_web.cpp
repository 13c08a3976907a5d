#include "views/safe_web.h"

#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace rescuva::views {

void LocalOnly::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QString scheme = info.requestUrl().scheme();
  if (scheme == "file" || scheme == "cid" || scheme == "data" || scheme == "qrc") return;
  info.block(true);
  std::lock_guard lock(mutex_);
  blocked_.push_back(info.requestUrl().toString());
}

QStringList LocalOnly::Blocked() {
  std::lock_guard lock(mutex_);
  return blocked_;
}

void KeepLocal(QWebEngineProfile& profile, LocalOnly& interceptor) {
  profile.setHttpCacheType(QWebEngineProfile::NoCache);
  profile.setUrlRequestInterceptor(&interceptor);
}

void KeepInert(QWebEnginePage& page) {
  QWebEngineSettings* settings = page.settings();
  settings->setAttribute(QWebEngineSettings::JavascriptEnabled, false);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  settings->setAttribute(QWebEngineSettings::AutoLoadImages, true);
}

}  // namespace rescuva::views
