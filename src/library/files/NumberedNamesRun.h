#pragma once

#include <string>
#include <unordered_map>

// One export or sync of many books, on the thread that names their files. While it lives, the search for a
// numbered name (MakeNumberedFileName) starts where the last search for the same name found its first free number,
// instead of at _0000 each time: the numbers below it were taken then, and a run does not remove files. Without it,
// 3,000 books of one name look at 4.5 million names. A name found taken meanwhile is looked for afresh.
class NumberedNamesRun {
public:
    NumberedNamesRun();
    ~NumberedNamesRun();
    NumberedNamesRun(const NumberedNamesRun&) = delete;
    NumberedNamesRun& operator=(const NumberedNamesRun&) = delete;

    // The run on the calling thread; null when there is none.
    static NumberedNamesRun* Current();

    // The number to start the search for base at.
    int From(const std::string& base) const;
    // The first number found free for base.
    void Found(const std::string& base, int number);

private:
    NumberedNamesRun* m_outer;
    std::unordered_map<std::string, int> m_firstFree;
};
