#pragma once
// Stand-ins for the outside world: scripted randomness, captured messages, recorded sound
// cues, shell requests and program exits. No test depends on luck, a dialog or a speaker.

#include "platform/messageservice.h"
#include "platform/programexit.h"
#include "platform/randomsource.h"
#include "platform/services.h"
#include "platform/shellservice.h"
#include "platform/soundplayer.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

// The largest double below 1.
inline const double kJustBelowOne = std::nextafter(1.0, 0.0);

// Returns the listed fractions in turn, then falls back to a fixed cycle that covers 0..1
// evenly (so a shuffle always finishes). Counts draws and reseeds.
class ScriptedRandom : public RandomSource
{
  public:
    std::vector<double> script;
    std::size_t pos = 0;
    int draws = 0;
    int reseeds = 0;
    // What the n-th draw after the script ran out returns.
    // Mid-slot values: k / 100.0 itself would round 0.29 * 100 below 29 and never deal 30.
    std::function<double(int)> fallback = [](int n) { return ((n * 37) % 100 + 0.5) / 100.0; };
    int fallbackDraws = 0;
    // Draw numbers (0-based) at which a reseed happened before them.
    std::vector<int> reseedsAtDraw;

    double next() override
    {
        ++draws;
        if (pos < script.size())
            return script[pos++];
        return fallback(fallbackDraws++);
    }
    void reseed() override
    {
        ++reseeds;
        reseedsAtDraw.push_back(draws);
    }
    void push(std::initializer_list<double> values) { script.insert(script.end(), values); }
};

class RecordingMessages : public MessageService
{
  public:
    struct Shown
    {
        QString text;
        QString caption;
    };
    QList<Shown> shown;
    void showMessage(const QString& text, const QString& caption) override
    {
        shown.append({text, caption});
    }
};

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

// One bundle of fakes, handed to a window as its Services.
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
