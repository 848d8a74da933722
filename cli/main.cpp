// The program's entry where the system hands over UTF-8 words already. A job cut short by a
// signal takes its temporary file with it; the file it was to replace stays as it was. A file
// that outgrows the size limit fails its write, which says so, rather than ending the program.
#include <csignal>
#include <initializer_list>

#include "cli/commands.h"
#include "files/file_io.h"

static void on_termination(int signal_number)
{
    file_write_interrupted();
    signal(signal_number, SIG_DFL);
    raise(signal_number);
}

int main(int argc, char** argv)
{
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) signal(signal_number, on_termination);
    signal(SIGXFSZ, SIG_IGN);
    return cli_main(argc, argv);
}
