// The real shell service: the "accepted" rule, and what reaches the desktop's URL handlers.

#include "fakes.h"
#include "platform/shell.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

class TestShell : public QObject
{
    Q_OBJECT
  private:
    UrlCatcher m_catcher;
    SystemShellService m_shell;

  private slots:
    void init()
    {
        m_catcher.urls.clear();
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &m_catcher, "open");
    }
    void cleanup()
    {
        for (const char* scheme : {"http", "https", "file"})
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    }

    void acceptedAboveThirtyTwo_data()
    {
        QTest::addColumn<qintptr>("result");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("0: out of memory") << qintptr(0) << false;
        QTest::newRow("2: file not found") << qintptr(2) << false;
        QTest::newRow("31: no association") << qintptr(31) << false;
        QTest::newRow("32: last error code") << qintptr(32) << false;
        QTest::newRow("33: first success") << qintptr(33) << true;
        QTest::newRow("42: a handle") << qintptr(42) << true;
        QTest::newRow("negative") << qintptr(-1) << false;
    }
    void acceptedAboveThirtyTwo()
    {
        QFETCH(qintptr, result);
        QFETCH(bool, accepted);
        QCOMPARE(shellAccepted(result), accepted);
    }

    void webAddressGoesToTheDesktop_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QUrl>("expected");
        QTest::newRow("https address, Open") << "https://www.olvarin.example"
                                             << "Open" << QUrl("https://www.olvarin.example");
        QTest::newRow("verb in lower case") << "https://www.olvarin.example/qor"
                                            << "open" << QUrl("https://www.olvarin.example/qor");
        QTest::newRow("empty verb is the default verb") << "http://www.olvarin.example"
                                                        << "" << QUrl("http://www.olvarin.example");
        QTest::newRow("address without scheme") << "www.olvarin.example"
                                                << "Open" << QUrl("http://www.olvarin.example");
    }
    void webAddressGoesToTheDesktop()
    {
#ifdef Q_OS_WIN
        QSKIP("on Windows the shell is ShellExecuteA, not the desktop's URL handlers: "
              "tst_winplatform hands it a recorder");
#endif
        QFETCH(QString, document);
        QFETCH(QString, operation);
        QFETCH(QUrl, expected);
        QVERIFY(m_shell.shellOpen(document, operation, std::nullopt, std::nullopt, 0));
        QCOMPARE(m_catcher.urls, QList<QUrl>{expected});
    }

    void localDocumentAsFileUrl()
    {
#ifdef Q_OS_WIN
        QSKIP("on Windows the shell is ShellExecuteA, not the desktop's URL handlers: "
              "tst_winplatform hands it a recorder");
#endif
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile file(dir.filePath("notes.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QUrl expected = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());

        QVERIFY(m_shell.shellOpen(file.fileName(), "Open", std::nullopt, std::nullopt, 1));
        // A relative name is looked up in the working folder handed in.
        QVERIFY(m_shell.shellOpen("notes.txt", "Open", std::nullopt, dir.path(), 1));
        QCOMPARE(m_catcher.urls, (QList<QUrl>{expected, expected}));
    }

    void refusedRequestsAreFalseAndShowNothing_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("operation");
        QTest::newRow("empty document") << ""
                                        << "Open";
        QTest::newRow("blank document") << "   "
                                        << "Open";
        QTest::newRow("verb nobody registered") << "https://www.olvarin.example"
                                                << "print";
        QTest::newRow("scheme without a handler") << "gopher://olvarin.example"
                                                  << "Open";
    }
    void refusedRequestsAreFalseAndShowNothing()
    {
        QFETCH(QString, document);
        QFETCH(QString, operation);
        QCOMPARE(m_shell.shellOpen(document, operation, std::nullopt, std::nullopt, 0), false);
        QVERIFY(m_catcher.urls.isEmpty());
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

#ifndef Q_OS_WIN
    void programStartsWithArgumentsInWorkFolder()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString script = dir.filePath("echoargs.sh");
        QFile file(script);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\nprintf '%s|' \"$@\" > \"$PWD/args.out.tmp\"\n"
                   "mv \"$PWD/args.out.tmp\" \"$PWD/args.out\"\n");
        file.close();
        QVERIFY(file.setPermissions(file.permissions() | QFile::ExeOwner));

        QVERIFY(m_shell.shellOpen(script, "Open", QString("one \"two three\""), dir.path(), 1));
        QVERIFY(m_catcher.urls.isEmpty());
        // The program runs on its own; wait for it to have written its arguments.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(dir.filePath("args.out")), 20000);
        QFile out(dir.filePath("args.out"));
        QVERIFY(out.open(QIODevice::ReadOnly));
        QCOMPARE(out.readAll(), QByteArray("one|two three|"));
    }
#endif
};

QTEST_MAIN(TestShell)
#include "tst_shell.moc"
