// lockmere-account: the account tools for scripts, administrators and tests.
#include <QCoreApplication>
#include <iostream>

#include "lockmere/tools/account/cli/Commands.h"

int main(int argc, char** argv) {
  // The sensor's callbacks come through an event loop; nothing here needs a display.
  QCoreApplication app(argc, argv);
  std::vector<std::string> arguments(argv + 1, argv + argc);
  account::cli::PasswordInput passwords;
  return account::cli::run(arguments, passwords, std::cout, std::cerr);
}
