// Interim CPassword with the interface of the configuration subsystem's key matcher:
// five windows of the latest key symbols compared with five fixed sequences. Replaced by
// the configuration subsystem's class when that lands.
#pragma once

#include <deque>

class CPassword {
public:
    CPassword();
    void addkey(int key);
    bool compas();  // 9 keys: level-0 system screen
    bool compas1(); // 22 keys: level 1
    bool compas2(); // 24 keys: level 2
    bool compas3(); // 28 keys: level 3
    bool compas4(); // 27 keys: leave the program
    void clearbuff();

    static const int* sequence(int n, int* length);

private:
    std::deque<int> win[5];
    bool match(int n) const;
};

extern CPassword password1;
