#pragma once
// Stand-ins for the outside world: scripted randomness, captured messages, recorded sound
// cues, shell requests, program exits and web addresses. No test depends on luck, a dialog, a
// speaker or a browser. A test that uses UrlCatcher lists this header among its sources, so
// that it is run through moc.

#include "cardfakes.h"
#include "platform/programexit.h"
#include "platform/services.h"
#include "platform/shellservice.h"
#include "platform/soundplayer.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <optional>

class RecordingSound : public SoundPlayer
{
  public:
    QStringList preloaded;
    QStringList played;
    void preload(const QStringList& paths) override { preloaded += paths; }
    void playSound(const QString& path) override { played.append(path); }
};

class RecordingShell : public ShellService
{
  public:
    struct Call
    {
        QString document;
        QString operation;
        std::optional<QString> argList;
        std::optional<QString> workFolder;
        int showCommand;
    };
    QList<Call> calls;
    bool result = true;
    bool shellOpen(const QString& document, const QString& operation,
                   const std::optional<QString>& argList, const std::optional<QString>& workFolder,
                   int showCommand) override
    {
        calls.append({document, operation, argList, workFolder, showCommand});
        return result;
    }
};

class RecordingExit : public ProgramExit
{
  public:
    int ends = 0;
    std::function<void()> onEnd;
    void endProgram() override
    {
        ++ends;
        if (onEnd)
            onEnd();
    }
};

// Catches what is handed to the desktop instead of starting a browser: install it with
// QDesktopServices::setUrlHandler(scheme, &catcher, "open").
class UrlCatcher : public QObject
{
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls.append(url); }
};

// One bundle of fakes, handed to a window as its Services, as RealServices bundles the real ones.
struct FakeWorld
{
    ScriptedRandom random;
    RecordingMessages messages;
    RecordingSound sound;
    RecordingShell shell;
    RecordingExit exit;
    Services services(const QString& programFolder = QStringLiteral("/prog"),
                      const QString& dataFile = QStringLiteral("fac_data.txt"))
    {
        return Services{random, messages, sound, shell, exit, programFolder, dataFile};
    }
};
