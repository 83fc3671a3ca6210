#include <app/unit1.h>
#include <platform/style/style.h>

#include <QApplication>
#include <QLineEdit>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    kolvar::applySapphireKamri(app);

    // The sign-in runs inside FormCreate and ends the process when it is
    // given up, so a window that gets shown always has a session.
    kolvar::TForm1 Form1;
    Form1.FormCreate();
    Form1.showMaximized();
    Form1.araedit->setFocus();
    return app.exec();
}
