// SPDX-License-Identifier: GPL-3.0-or-later
// The relations of a sieve kept as they are found, so that a sieve cut
// short (an interrupt, a crash, the end of a session) goes on from them the
// next time the same number is sieved, as YAFU's siqs.dat and msieve's save
// file do. Each session writes a journal of its own in the cache's folder
// "releves" (commun/cache.h), named after the number, its multiplier and
// the size of its base (the indices of a relation are places in that
// base): a header, then one relation a line, and after each batch the
// seconds spent on the number so far. The journal of a session that has
// ended is read back, its relations copied into the new session's journal,
// then removed; that of a session still running is read and left to it.
// Nothing read is trusted: the sieve checks each relation at its merge
// (relationExacte in factor/releve.h), so a damaged or foreign line costs a
// dropped relation, never a wrong factor. Once the number is factored, its
// journals go.
//
// Cost: a line of about 150 bytes per relation kept (y in hexadecimal, the
// large primes, the indices in the base), written every two seconds; read
// back at a few microseconds a line.
#pragma once

#include "commun/cache.h"
#include "factor/crible.h"

#include <NTL/ZZ.h>

#include <cstddef>
#include <string>
#include <vector>

namespace harmo {

// A relation as a journal's line (with its '\n'), and back: false when the
// line is not one (the values are not checked).
std::string ligneDeRelation(const Relation& r);
bool relationDeLaLigne(const char* debut, const char* fin, Relation& r);

class RelevesSauves {
public:
    // The journals of the sieve of n with multiplier k and a base of
    // `taille` primes; none when the cache is off or cannot be.
    RelevesSauves(const NTL::ZZ& n, unsigned long k, std::size_t taille);
    // What is noted and not yet written is written.
    ~RelevesSauves();
    RelevesSauves(const RelevesSauves&) = delete;
    RelevesSauves& operator=(const RelevesSauves&) = delete;

    // The relations of the journals of other sessions, for the caller to
    // check, and the seconds they cost (added to secondes). The journals of
    // ended sessions are removed at the first write that holds their
    // relations (the caller notes those it keeps).
    std::vector<Relation> relire(double& secondes);
    // The lines read that were not relations (a line cut short, a foreign one).
    std::size_t illisibles() const { return illisibles_; }
    // r, checked and merged, to be written at the next write.
    void noter(const Relation& r);
    // What was noted since the last write, then the seconds spent on the
    // number in all.
    void ecrire(double secondes);
    // The number is factored: its journals that no living session holds
    // are removed, this one's first.
    void effacer();

private:
    bool vider();  // the text noted, appended to the journal

    std::string dossier_, prefixe_, entete_;
    FichierTenu fichier_;
    std::string tampon_;
    std::vector<std::string> finis_;  // journals of ended sessions, read back
    std::size_t notees_ = 0, illisibles_ = 0;
    double secondes_ = 0;
    bool efface_ = false;
};

}  // namespace harmo
