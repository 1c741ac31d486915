// A bare Qt Widgets program that sounds a wave file on a button click the toolkit's own way,
// with QSoundEffect: the yardstick for the game's cue onset (bench/figures.sh records both).
// A fresh effect for every click, since one effect played again drops plays; each is loaded
// ahead of its click, so the click only plays it.
//   bare_sound FILE.wav

#include <QApplication>
#include <QPushButton>
#include <QSoundEffect>
#include <QUrl>
#include <QWidget>

#include <utility>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QUrl cue = QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1]));
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare sound"));
    window.setFixedSize(830, 470);
    auto* play = new QPushButton(QStringLiteral("Play"), &window);
    play->setGeometry(386, 208, 81, 33);
    auto load = [&] {
        auto* effect = new QSoundEffect(&window);
        effect->setSource(cue);
        return effect;
    };
    QSoundEffect* next = load();
    QObject::connect(play, &QPushButton::clicked, &window, [&] {
        QSoundEffect* effect = std::exchange(next, load());
        QObject::connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
            if (!effect->isPlaying())
                effect->deleteLater();
        });
        effect->play();
    });
    window.show();
    return app.exec();
}
