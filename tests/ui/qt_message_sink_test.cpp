#include <QApplication>
#include <QThread>
#include <QtTest>
#include <thread>
#include <vector>

#include "core/window_messages.h"
#include "ui/qt_message_sink.h"

using namespace sonvarek;

class QtMessageSinkTest : public QObject {
  Q_OBJECT

 private slots:
  // Posted messages arrive on the user-interface thread in the order they were sent,
  // and a Send returns only after its message was handled there.
  void deliversInOrderOnTheUiThread() {
    std::vector<int64_t> seen;
    bool allOnUiThread = true;
    QtMessageSink sink([&](const WindowMessage& message) {
      allOnUiThread = allOnUiThread && QThread::currentThread() == qApp->thread();
      seen.push_back(message.wParam);
    });
    bool sentWasHandled = false;
    std::thread worker([&] {
      for (int i = 0; i < 100; ++i) sink.Post(WindowMessage(Message::LogLine, i, 0));
      sink.Send(WindowMessage(Message::LogLine, 100, 0));
      sentWasHandled = seen.size() == 101;  // the UI thread is parked in Send's wait meanwhile
    });
    QTRY_COMPARE(seen.size(), size_t{101});
    worker.join();
    QVERIFY(sentWasHandled);
    QVERIFY(allOnUiThread);
    for (int i = 0; i <= 100; ++i) QCOMPARE(seen[static_cast<size_t>(i)], i);
  }

  // A window that closed its sink hears nothing more, and a worker's Send does not wait for it.
  void closedSinkDropsEverything() {
    int handled = 0;
    auto sink = std::make_unique<QtMessageSink>([&](const WindowMessage&) { ++handled; });
    sink->Post(WindowMessage(Message::LogLine, 1, 0));
    sink->Close();
    std::thread worker([&] { sink->Send(WindowMessage(Message::LogLine, 2, 0)); });
    worker.join();
    QCoreApplication::processEvents();
    QCOMPARE(handled, 0);
  }
};

QTEST_MAIN(QtMessageSinkTest)
#include "qt_message_sink_test.moc"
