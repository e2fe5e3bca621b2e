// SPDX-License-Identifier: GPL-3.0-or-later
// The terminal of the dialogue: prompts and results go out, whitespace-
// delimited answers come in. The real one works on the standard streams;
// tests drive the dialogues through a scripted one.
#pragma once

#include <NTL/RR.h>
#include <NTL/ZZ.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace harmo {

// Raised when the input has ended: no answer can be read any more.
struct FinDeLEntree {};

class Console {
public:
    // Longest token that an answer may have; a longer one is read past and refused.
    static constexpr std::size_t maxJeton = 99999;

    virtual ~Console() = default;
    virtual void ecrire(std::string_view texte) = 0;
    virtual void vider() = 0;
    // Before an answer is read: the text so far goes out, the question with
    // it (a line editor shows the question's last line itself).
    virtual void viderAvantLecture() { vider(); }
    // Seeks the input to its end (this only succeeds on a regular file) and clears its state.
    virtual void allerALaFin() = 0;
    // Reads the next token. Returns false at end of input. A token longer than
    // maxJeton is consumed whole but only its first maxJeton characters are kept,
    // and trop_long is set.
    virtual bool lireJeton(std::string& jeton, bool& trop_long) = 0;

    Console& operator<<(std::string_view texte) { ecrire(texte); return *this; }
    Console& operator<<(const char* texte) { ecrire(texte); return *this; }
    Console& operator<<(long v);
    Console& operator<<(int v) { return *this << static_cast<long>(v); }
    Console& operator<<(long long v) { return *this << static_cast<long>(v); }
    Console& operator<<(double v);
    Console& operator<<(const NTL::ZZ& v);
    Console& operator<<(const NTL::RR& v);
};

// Standard input and output, through buffers of their own. When both are
// terminals, each line of answers is read through GNU readline (editing,
// history kept in $XDG_STATE_HOME/harmoniques/historique), the question's
// last line as its prompt; elsewhere the bytes are read as they come. When
// standard input is a terminal, Ctrl-C at a question drops the line typed
// and asks the question again.
class ConsoleStandard : public Console {
public:
    ConsoleStandard();
    ~ConsoleStandard() override;
    void ecrire(std::string_view texte) override;
    void vider() override;
    void viderAvantLecture() override;
    void allerALaFin() override;
    bool lireJeton(std::string& jeton, bool& trop_long) override;

private:
    int lireOctet();  // -1 at end of input
    bool lireLigneEditee();
    void ecrireSortie(std::string_view texte);
    void reposerLaQuestion();
    void rendreLInvite();
    std::string sortie_;
    std::string invite_;         // the question's last line, held for the line editor
    std::string derniereLigne_;  // what stands on the screen's last line
    std::vector<char> tampon_ = std::vector<char>(1 << 16);  // on the heap: the console lives on main's stack
    std::string ligne_;  // the edited line and its newline
    std::size_t debut_ = 0, fin_ = 0;
    bool finAtteinte_ = false;
    bool editeur_ = false;
};

// A scripted terminal: answers from a string, everything written kept.
class ConsoleScript : public Console {
public:
    explicit ConsoleScript(std::string entree) : entree_(std::move(entree)) {}
    void ecrire(std::string_view texte) override { sortie.append(texte); }
    void vider() override {}
    void allerALaFin() override {}
    bool lireJeton(std::string& jeton, bool& trop_long) override;
    std::string sortie;

private:
    std::string entree_;
    std::size_t pos_ = 0;
};

}  // namespace harmo
