// The reference for start-up figures: a plain Qt Widgets window of the home window's size.
#include <QApplication>
#include <QLabel>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Zentrafox"));
    window.resize(1200, 700);
    window.show();
    return app.exec();
}
