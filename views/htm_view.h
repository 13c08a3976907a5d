// CHtm, the browser view of the preview stack over Qt WebEngine. A recovered message is
// untrusted: scripts never run, plugins are off, and nothing is fetched from the
// network. Key presses (without Alt), right presses and double clicks never reach the
// page; single clicks, the wheel and the scroll bars do. A link clicked in a page is
// not followed: it goes to the view's owner.
#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <functional>

class QWebEngineView;
class QWebEnginePage;
class QWebEngineProfile;

namespace rescuva::views {

class LocalOnly;
class MessagePage;

class CHtm : public QWidget {
 public:
  // Before the application object exists, in the program and in headless runs: the
  // browser view shares OpenGL contexts, and its pages are composed by Qt Quick's
  // software renderer unless QT_QUICK_BACKEND names another.
  static void PrepareRendering();
  // Before the application object exists: what the browser engine needs for headless
  // runs (tests, benchmarks): the offscreen platform unless another is asked for, no GPU,
  // and as root no renderer sandbox. The shipped program does not call it.
  static void PrepareHeadlessRun();

  explicit CHtm(QWidget* parent = nullptr);
  ~CHtm() override;

  // Shows a file: a message copy named .mhtml, or a page of the scan.
  void Navigate(const QString& file);
  const QString& File() const { return file_; }
  // True when nothing is loading.
  bool Idle() const { return !loading_; }
  void Stop();
  // What a click on a link in a shown page does (nothing when unset).
  void SetOnLinkClicked(std::function<void(const QUrl&)> clicked);
  // Links to files on this machine are followed (pages of the program's own, never a
  // recovered message).
  void FollowLocalLinks();
  // Addresses refused because they would have left the machine.
  QStringList BlockedRequests() const;
  QWebEngineView& View() { return *view_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FilterInputOf(QObject* object);

  QWebEngineProfile* profile_;
  MessagePage* page_;
  QWebEngineView* view_;
  QString file_;
  bool loading_ = false;
  LocalOnly* interceptor_;
};

}  // namespace rescuva::views
