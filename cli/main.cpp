// The program's entry where the system hands over UTF-8 words already.
#include "cli/commands.h"

int main(int argc, char** argv)
{
    return cli_main(argc, argv);
}
