#include "ui/ErrorHandler.h"

#include <QMessageBox>
#include <QStyleFactory>
#include <exception>
#include <new>

namespace obitrak::ui {

namespace {

GeneralErrorHandler::Presenter& presenter() {
  static GeneralErrorHandler::Presenter p;
  return p;
}

void showMessageBox(const QString& message) {
  QMessageBox box(QMessageBox::Critical, QStringLiteral("Obitrak"), message, QMessageBox::Ok,
                  QApplication::activeWindow());
  box.exec();
}

}  // namespace

void GeneralErrorHandler::setPresenter(Presenter p) {
  presenter() = std::move(p);
}

void GeneralErrorHandler::showMessage(const QString& message) {
  if (presenter()) {
    presenter()(message);
  } else {
    showMessageBox(message);
  }
}

QString GeneralErrorHandler::currentExceptionMessage() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return QStringLiteral("Out of memory");
  } catch (const std::exception& e) {
    return QString::fromLocal8Bit(e.what());
  } catch (...) {
    return QStringLiteral("Unknown error");
  }
}

void GeneralErrorHandler::showCurrentException() {
  showMessage(currentExceptionMessage());
}

ObitrakApplication::ObitrakApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("obitrak"));
  // One look on every desktop: the windows colour their own buttons and cells, which only
  // some platform styles would honour.
  setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

bool ObitrakApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    GeneralErrorHandler::showCurrentException();
    return false;
  }
}

}  // namespace obitrak::ui
