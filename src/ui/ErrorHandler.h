#pragma once

#include <QApplication>
#include <QString>
#include <functional>
#include <stdexcept>
#include <utility>

namespace obitrak::ui {

// The application's general error handler: the message of every failure that ends an
// operation is shown to the user, and the program goes on.
class GeneralErrorHandler {
 public:
  using Presenter = std::function<void(const QString& message)>;

  // Replaces the message box, for instance by a recorder in tests. An empty presenter
  // brings the message box back.
  static void setPresenter(Presenter presenter);

  static void showMessage(const QString& message);
  // Shows the exception being handled; call it only inside a catch block.
  static void showCurrentException();
  // The text shown for the exception being handled.
  static QString currentExceptionMessage();
};

// Runs `operation`; a failure is shown by the general error handler.
template <typename Operation>
void runGuarded(Operation&& operation) {
  try {
    std::forward<Operation>(operation)();
  } catch (...) {
    GeneralErrorHandler::showCurrentException();
  }
}

// A failure that says what was being done and to which file, such as "Could not open
// /x/notes.dm2: Not a Quake 2 demo".
class ActionFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Runs `operation`; whatever it throws is thrown again as an ActionFailure that begins with
// `action` ("Could not open /x/notes.dm2"). A failure that already names its action keeps it.
template <typename Operation>
void namingFailure(const QString& action, Operation&& operation) {
  try {
    std::forward<Operation>(operation)();
  } catch (const ActionFailure&) {
    throw;
  } catch (...) {
    const QString message =
        action + QStringLiteral(": ") + GeneralErrorHandler::currentExceptionMessage();
    throw ActionFailure(message.toLocal8Bit().toStdString());
  }
}

// The application object: an exception that escapes an event handler reaches the general
// error handler instead of ending the program.
class ObitrakApplication : public QApplication {
 public:
  ObitrakApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace obitrak::ui
