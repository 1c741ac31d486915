#pragma once
// A game window on fakes: a data file in a temporary folder, scripted randomness, recorded
// cues, messages and exits. Shown offscreen so focus and stacking behave as on screen.

#include "carddecks.h"
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
inline FACRecord fixtureCard(int k)
{
    const QString n = QString::number(k);
    return {.No = n,
            .Pos = "Pos " + n,
            .CF = std::int16_t(k),
            .RN = "RN " + n,
            .Res = "Res " + n,
            .KD = std::int16_t(k % 5),
            .KD2 = std::int16_t(-(k % 3)),
            .KOR = std::int16_t(100 + k),
            .KDC = 7,
            .J1 = "J1 " + n,
            .J2 = "J2 " + n,
            .J3 = "J3 " + n,
            .Cond = "Cond " + n,
            .Inj = "Inj " + n,
            .SA = "SA " + n};
}

// A data file of `cards` records, one a line, CR LF; `edit` may change a card's values as
// they stand in the file.
inline QByteArray fixtureDeck(int cards = 100,
                              const std::function<void(int, QStringList&)>& edit = {})
{
    return deckFile(1, cards, [&](int k) {
        QStringList values = writtenValues(fixtureCard(k));
        if (edit)
            edit(k, values);
        return values;
    });
}

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
