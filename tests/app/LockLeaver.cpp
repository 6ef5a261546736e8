// Takes the lock file named on the command line and ends without giving it
// back, as a copy of Quarnel that crashed leaves its lock.
#include <QLockFile>
#include <QString>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        return 2;
    }
    QLockFile lock(QString::fromLocal8Bit(argv[1]));
    if (!lock.tryLock()) {
        return 1;
    }
    std::_Exit(0);
}
