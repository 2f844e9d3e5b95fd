// solvane-cli: the calculations of Solvane without a window, JSON out.
#include "cli/Commands.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    CLI::App app{"Solvane: binary phase diagrams from Gibbs energy expressions, without a window",
                 "solvane-cli"};
    app.require_subcommand(1);
    int exitCode = 0;
    solvane::cli::AddExprCommand(app, exitCode);
    solvane::cli::AddDbCommand(app, exitCode);
    solvane::cli::AddRunCommand(app, exitCode);
    solvane::cli::AddCheckCommand(app, exitCode);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e); // prints the usage message on standard error
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "solvane-cli: " << e.what() << '\n';
        return 1;
    }
    return exitCode;
}
