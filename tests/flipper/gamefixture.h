#pragma once
// A game window on fakes: a data file in a temporary folder, scripted randomness, recorded
// cues, messages and exits. Shown offscreen so focus and stacking behave as on screen.

#include "cards/gamedata.h"
#include "fakes.h"
#include "flipper/frmfac.h"
#include "platform/widgets/qorlabel.h"
#include "platform/widgets/qorpicture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

// Card k of the fixture deck: texts that name the card, numbers derived from k.
inline QStringList fixtureFields(int k)
{
    const QString n = QString::number(k);
    return {QStringLiteral("\"%1\"").arg(n),
            QStringLiteral("\"Pos %1\"").arg(n),
            n,
            QStringLiteral("\"RN %1\"").arg(n),
            QStringLiteral("\"Res %1\"").arg(n),
            QString::number(k % 5),
            QString::number(-(k % 3)),
            QString::number(100 + k),
            QStringLiteral("7"),
            QStringLiteral("\"J1 %1\"").arg(n),
            QStringLiteral("\"J2 %1\"").arg(n),
            QStringLiteral("\"J3 %1\"").arg(n),
            QStringLiteral("\"Cond %1\"").arg(n),
            QStringLiteral("\"Inj %1\"").arg(n),
            QStringLiteral("\"SA %1\"").arg(n)};
}

// A data file of `cards` records, one a line, CR LF; `edit` may change a card's fields.
inline QByteArray fixtureDeck(int cards = 100,
                              const std::function<void(int, QStringList&)>& edit = {})
{
    QByteArray out;
    for (int k = 1; k <= cards; ++k) {
        QStringList fields = fixtureFields(k);
        if (edit)
            edit(k, fields);
        out += fields.join(QLatin1Char(',')).toLatin1() + "\r\n";
    }
    return out;
}

// The clock after each timed card of a round.
inline const QStringList kClockTexts{
    "2:57", "2:54", "2:51", "2:46", "2:43", "2:40", "2:33", "2:29", "2:25", "2:21",
    "2:18", "2:15", "2:12", "2:09", "2:05", "2:01", "1:57", "1:53", "1:49", "1:45",
    "1:42", "1:39", "1:36", "1:32", "1:28", "1:25", "1:22", "1:19", "1:16", "1:13",
    "1:10", "1:07", "1:04", "1:00", "0:56", "0:52", "0:48", "0:45", "0:42", "0:38",
    "0:34", "0:30", "0:27", "0:24", "0:20", "0:16", "0:12", "0:08", "0:04", "0:00"};

struct Game
{
    QTemporaryDir dir;
    FakeWorld world;
    GameData data;
    std::unique_ptr<frmFac> w;

    // A missing data file when contents is null.
    explicit Game(const QByteArray& contents = fixtureDeck(), bool load = true)
    {
        if (!contents.isNull()) {
            QFile file(dataFile());
            file.open(QIODevice::WriteOnly);
            file.write(contents);
        }
        w = std::make_unique<frmFac>(data, world.services(QStringLiteral("/prog"), dataFile()));
        if (load)
            w->Form_Load();
        w->show();
        QApplication::setActiveWindow(w.get());
        (void)QTest::qWaitForWindowExposed(w.get());
    }

    QString dataFile() const { return dir.filePath(QStringLiteral("fac_data.txt")); }
    // A cue's full path as the platform writes it ("\\prog\\Fac.wav" on Windows).
    static QString cue(const char* name)
    {
        return QDir::toNativeSeparators(QStringLiteral("/prog/") + QLatin1String(name));
    }
    QString lastCue() const
    {
        return world.sound.played.isEmpty() ? QString() : world.sound.played.last();
    }

    void click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void flip() { click(w->cmdFlip); }
    void flips(int n)
    {
        for (int i = 0; i < n; ++i)
            flip();
    }
    // Plays timed cards up to and including the bell.
    void toEndOfRound()
    {
        while (w->lblClock->text() != QLatin1String("0:00"))
            flip();
    }
    QStringList flipped() const
    {
        QStringList items;
        for (int i = 0; i < w->lstFAC->count(); ++i)
            items << w->lstFAC->item(i)->text();
        return items;
    }
    QStringList mainTexts() const
    {
        QStringList texts;
        for (QorLabel* l :
             {w->lblNo, w->lblPos, w->lblCF, w->lblRN, w->lblRes, w->lblKD, w->lblKD2, w->lblKOR,
              w->lblKDC, w->lblJ1, w->lblJ2, w->lblJ3, w->lblCond, w->lblInj, w->lblSA})
            texts << l->text();
        return texts;
    }
    QStringList reviewTexts() const
    {
        QStringList texts;
        for (QorLabel* l :
             {w->lblPosb, w->lblCFb, w->lblRNb, w->lblResb, w->lblKDb, w->lblKD2b, w->lblKORb,
              w->lblKDCb, w->lblJ1b, w->lblJ2b, w->lblJ3b, w->lblCondb, w->lblInjb, w->lblSAb})
            texts << l->text();
        return texts;
    }
};

// What the main panel shows for fixture card k (lblNo first).
inline QStringList fixtureMain(int k)
{
    const QString n = QString::number(k);
    return {n,
            "Pos " + n,
            n,
            "RN " + n,
            "Res " + n,
            QString::number(k % 5),
            QString::number(-(k % 3)),
            QString::number(100 + k),
            "7",
            "J1 " + n,
            "J2 " + n,
            "J3 " + n,
            "Cond " + n,
            "Inj " + n,
            "SA " + n};
}

// What the review panel shows for fixture card k (it has no card number).
inline QStringList fixtureReview(int k)
{
    QStringList texts = fixtureMain(k);
    texts.removeFirst();
    return texts;
}
