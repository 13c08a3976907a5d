#include "views/htm_view.h"

#include <QChildEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <unistd.h>

#include "views/safe_web.h"

namespace rescuva::views {

// Shows what the view navigates to itself; a link clicked or a form sent in a recovered
// message goes nowhere inside the preview, and a clicked link is handed on.
class MessagePage : public QWebEnginePage {
 public:
  using QWebEnginePage::QWebEnginePage;
  std::function<void(const QUrl&)> link_clicked;
  bool follow_local_links = false;

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool main_frame) override {
    if (type != NavigationTypeLinkClicked && type != NavigationTypeFormSubmitted) return true;
    if (follow_local_links && type == NavigationTypeLinkClicked && url.isLocalFile()) return true;
    if (main_frame && type == NavigationTypeLinkClicked) {
      // after the browser engine's call has returned: the owner may ask the user first
      QMetaObject::invokeMethod(
          this,
          [this, url] {
            if (link_clicked) link_clicked(url);
          },
          Qt::QueuedConnection);
    }
    return false;
  }
};

CHtm::CHtm(QWidget* parent)
    : QWidget(parent),
      profile_(new QWebEngineProfile(this)),
      page_(nullptr),
      view_(nullptr),
      interceptor_(nullptr) {
  interceptor_ = new LocalOnly(this);
  KeepLocal(*profile_, *interceptor_);
  page_ = new MessagePage(profile_, this);
  KeepInert(*page_);
  view_ = new QWebEngineView(this);
  view_->setPage(page_);
  view_->setContextMenuPolicy(Qt::NoContextMenu);
  connect(view_, &QWebEngineView::loadStarted, this, [this] { loading_ = true; });
  connect(view_, &QWebEngineView::loadFinished, this, [this] { loading_ = false; });
  FilterInputOf(view_);
  // starts the renderer now rather than with the first page of a scan
  view_->load(QUrl("about:blank"));
}

// A machine that draws in software (no GPU, a remote or virtual X server) would
// compose through OpenGL in Mesa's llvmpipe: each repaint of the animated progress
// page then cost more than the scan it shows (80,000 messages on Xvfb: 1.65 times the
// CLI, stalls of 110 ms; with the software renderer 1.09 times, 15 ms).
void CHtm::PrepareRendering() {
  if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND")) qputenv("QT_QUICK_BACKEND", "software");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void CHtm::PrepareHeadlessRun() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (::geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  }
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
  }
  PrepareRendering();
}

CHtm::~CHtm() {
  // the view and the page end before the profile they use, the profile before the
  // interceptor it calls
  delete view_;
  delete page_;
  delete profile_;
}

void CHtm::SetOnLinkClicked(std::function<void(const QUrl&)> clicked) {
  page_->link_clicked = std::move(clicked);
}

void CHtm::FollowLocalLinks() {
  page_->follow_local_links = true;
}

QStringList CHtm::BlockedRequests() const {
  return interceptor_->Blocked();
}

void CHtm::Navigate(const QString& file) {
  file_ = file;
  loading_ = true;
  view_->load(QUrl::fromLocalFile(file));
}

void CHtm::Stop() {
  view_->stop();
}

void CHtm::resizeEvent(QResizeEvent*) {
  view_->setGeometry(rect());
}

void CHtm::FilterInputOf(QObject* object) {
  object->installEventFilter(this);
  for (QObject* child : object->children()) FilterInputOf(child);
}

bool CHtm::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::ChildAdded:
      FilterInputOf(static_cast<QChildEvent*>(event)->child());
      return false;
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
      return !(static_cast<QKeyEvent*>(event)->modifiers() & Qt::AltModifier);
    case QEvent::MouseButtonPress:
      return static_cast<QMouseEvent*>(event)->button() == Qt::RightButton;
    case QEvent::MouseButtonDblClick:
      return true;
    default:
      return QWidget::eventFilter(watched, event);
  }
}

}  // namespace rescuva::views
