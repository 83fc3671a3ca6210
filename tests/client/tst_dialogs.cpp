#include <platform/dialogs/mesajver.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace kolvar;

namespace {

// Answers every message with a chosen button and remembers what it was asked.
class RecordingRunner : public DialogRunner
{
public:
    int run(const MessageRequest &request) override
    {
        requests.append(request);
        return modalResultOf(answer);
    }
    MsgButton answer = MsgButton::OK;
    QList<MessageRequest> requests;
};

// Runs `inspect` on the modal message box once it is open.
void whenDialogOpens(std::function<void(QMessageBox *)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box) {
            whenDialogOpens(inspect);
            return;
        }
        inspect(box);
    });
}

QStringList captions(const QList<MsgButton> &buttons)
{
    QStringList out;
    for (MsgButton b : buttons)
        out << buttonCaption(b);
    return out;
}

} // namespace

class TestDialogs : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init() { setMessageFontPointSize(15); }
    void cleanup() { setDialogRunner(nullptr); }

    void request_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<MsgButton>>("buttons");
        QTest::addColumn<MsgButton>("defaultButton");
        QTest::addColumn<MsgButton>("answer");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("result");
        const QList<MsgButton> yesNo{mbYes, mbNo};
        QTest::newRow("question, Yes focused")
            << 3 << yesNo << mbYes << mbYes << "Soru" << QStringList{"Evet", "Hayır"} << 6;
        QTest::newRow("question, No focused")
            << 3 << yesNo << mbNo << mbNo << "Soru" << QStringList{"Evet", "Hayır"} << 7;
        QTest::newRow("error") << 1 << QList<MsgButton>{mbOK} << mbOK << mbOK << "Hata"
                               << QStringList{"Tamam"} << 1;
        QTest::newRow("information") << 2 << QList<MsgButton>{mbOK} << mbOK << mbOK << "Bilgi"
                                     << QStringList{"Tamam"} << 1;
        QTest::newRow("warning") << 0 << QList<MsgButton>{mbOK, mbCancel} << mbOK << mbCancel << "Uyarı"
                                 << QStringList{"Tamam", "Vazgeç"} << 2;
        QTest::newRow("plain keeps the application caption")
            << 4 << QList<MsgButton>{mbOK} << mbOK << mbOK << "" << QStringList{"Tamam"} << 1;
        QTest::newRow("abort retry ignore")
            << 1 << QList<MsgButton>{mbAbort, mbRetry, mbIgnore} << mbRetry << mbIgnore << "Hata"
            << QStringList{"İptal", "Tekrar", "Atla"} << 5;
        QTest::newRow("to-all buttons")
            << 3 << QList<MsgButton>{mbYesToAll, mbNoToAll, mbHelp} << mbNoToAll << mbYesToAll << "Soru"
            << QStringList{"Tümüne Evet", "Tümüne Hayır", "Yardım"} << 10;
        QTest::newRow("All and Close keep their own text") << 3 << QList<MsgButton>{mbAll, mbClose} << mbAll
                                                           << mbClose << "Soru" << QStringList{"", ""} << 11;
        QTest::newRow("duplicates once") << 3 << QList<MsgButton>{mbYes, mbNo, mbYes} << mbYes << mbYes
                                         << "Soru" << QStringList{"Evet", "Hayır"} << 6;
        QTest::newRow("no buttons means OK")
            << 2 << QList<MsgButton>{} << mbOK << mbOK << "Bilgi" << QStringList{"Tamam"} << 1;
    }
    void request()
    {
        QFETCH(int, kind);
        QFETCH(QList<MsgButton>, buttons);
        QFETCH(MsgButton, defaultButton);
        QFETCH(MsgButton, answer);
        QFETCH(QString, caption);
        QFETCH(QStringList, texts);
        QFETCH(int, result);
        auto runner = std::make_shared<RecordingRunner>();
        runner->answer = answer;
        setDialogRunner(runner);
        QCOMPARE(MesajVer(QStringLiteral("Sepet Silindi !"), kind, buttons, defaultButton), result);
        QCOMPARE(runner->requests.size(), 1);
        const MessageRequest &r = runner->requests.first();
        QCOMPARE(r.text, QStringLiteral("Sepet Silindi !"));
        QCOMPARE(r.kind, kind);
        QCOMPARE(r.caption, caption);
        QCOMPARE(r.buttonTexts, texts);
        QCOMPARE(r.buttonTexts, captions(r.buttons));
        QCOMPARE(r.defaultButton, defaultButton);
        QCOMPARE(r.fontPointSize, 15);
    }

    void runnerAndFont()
    {
        auto first = std::make_shared<RecordingRunner>();
        setDialogRunner(first);
        auto second = std::make_shared<RecordingRunner>();
        QCOMPARE(setDialogRunner(second), first);
        setMessageFontPointSize(20);
        setMessageFontPointSize(0); // ignored
        QCOMPARE(messageFontPointSize(), 20);
        MesajVer(QStringLiteral("x"), 2, {mbOK}, mbOK);
        QCOMPARE(first->requests.size(), 0);
        QCOMPARE(second->requests.first().fontPointSize, 20);
        // nullptr puts the toolkit's dialog back.
        QCOMPARE(setDialogRunner(nullptr), second);
        QVERIFY(setDialogRunner(nullptr) != second);
    }

    // The toolkit dialog itself: captions, focus, font, Enter and Escape.
    void realDialog_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<MsgButton>>("buttons");
        QTest::addColumn<MsgButton>("defaultButton");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<int>("result");
        const QList<MsgButton> yesNo{mbYes, mbNo};
        QTest::newRow("Enter on Yes") << 3 << yesNo << mbYes << int(Qt::Key_Return) << "Soru"
                                      << "Evet" << 6;
        QTest::newRow("Enter on No") << 3 << yesNo << mbNo << int(Qt::Key_Enter) << "Soru"
                                     << "Hayır" << 7;
        QTest::newRow("Escape is No") << 3 << yesNo << mbYes << int(Qt::Key_Escape) << "Soru"
                                      << "Evet" << 7;
        QTest::newRow("error OK") << 1 << QList<MsgButton>{mbOK} << mbOK << int(Qt::Key_Return) << "Hata"
                                  << "Tamam" << 1;
    }
    void realDialog()
    {
        QFETCH(int, kind);
        QFETCH(QList<MsgButton>, buttons);
        QFETCH(MsgButton, defaultButton);
        QFETCH(int, key);
        QFETCH(QString, title);
        QFETCH(QString, focused);
        QFETCH(int, result);

        QWidget owner;
        owner.setGeometry(100, 100, 800, 600);
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));

        QString seenTitle, seenFocus;
        QStringList seenTexts;
        int seenPoints = 0;
        bool seenParent = false;
        whenDialogOpens([&](QMessageBox *box) {
            seenTitle = box->windowTitle();
            for (QAbstractButton *b : box->buttons())
                seenTexts << b->text();
            if (auto *f = qobject_cast<QAbstractButton *>(box->focusWidget()))
                seenFocus = f->text();
            if (auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
                seenPoints = label->font().pointSize();
            seenParent = box->parentWidget() == &owner;
            QTest::keyClick(box, Qt::Key(key));
        });
        const int answer = MesajVer(QStringLiteral("Programdan Çıkmak İstiyor musunuz ?"), kind, buttons,
                                    defaultButton, &owner);
        QCOMPARE(answer, result);
        QCOMPARE(seenTitle, title);
        QCOMPARE(seenFocus, focused);
        seenTexts.sort();
        QStringList expected = captions(buttons);
        expected.sort();
        QCOMPARE(seenTexts, expected);
        QCOMPARE(seenPoints, 15);
        QVERIFY(seenParent);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
