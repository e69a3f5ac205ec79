#include <iostream>

int main(int argc, char** argv) {
    (void)argv;
    if (argc < 2) {
        std::cerr << "usage: veltrona-cli [-C DIR] COMMAND ...\n";
        return 2;
    }
    return 0;
}
