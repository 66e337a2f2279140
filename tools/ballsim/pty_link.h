#pragma once

#include <string>

// The master side of a new pseudo-terminal, raw, with its slave side held open so that the
// master never sees a hang-up while the program is away; optionally a symlink to the slave.
class tPtyLink {
public:
    tPtyLink() = default;
    ~tPtyLink();
    tPtyLink(const tPtyLink&) = delete;
    tPtyLink& operator=(const tPtyLink&) = delete;

    // False with a message on stderr when the terminal or the link cannot be made.
    bool Open(const std::string& link);
    // Closes both sides and removes the link: the ball is gone.
    void Close();

    int Master() const { return master_; }
    // Bytes the ball has written that the program has not read yet; 0 when unknown.
    int Unread() const;
    const std::string& SlavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
    std::string link_;
};
