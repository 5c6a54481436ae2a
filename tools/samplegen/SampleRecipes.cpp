#include "SampleRecipe.h"

namespace tessary::samplegen {

using Cut = SampleRecipe::Cut;

// A doubled phoneme ("SS") makes espeak-ng hold a sound longer than it would in a word, for
// the long allophones that even the slowest speech does not reach.
//
// Each consonant is spoken inside a carrier, its example word where that gives it a clear
// context, so that short sounds (stops above all) come out as they sound in speech; vowels come
// from the middle of the example word, away from the transitions at its edges.
const std::vector<SampleRecipe>& sampleRecipes()
{
    static const std::vector<SampleRecipe> rows = {
        // mnemonic, example, cut, carrier, target, occurrence, release ms
        {"pa1", "PAUSE", Cut::Pause, "", "", 1, 0},
        {"pa2", "PAUSE", Cut::Pause, "", "", 1, 0},
        {"pa3", "PAUSE", Cut::Pause, "", "", 1, 0},
        {"pa4", "PAUSE", Cut::Pause, "", "", 1, 0},
        {"pa5", "PAUSE", Cut::Pause, "", "", 1, 0},
        {"oy", "Boy", Cut::Glide, "b'OI", "OI", 1, 0},
        {"ay", "Sky", Cut::Glide, "sk'aI", "aI", 1, 0},
        {"eh", "End", Cut::Steady, "'End", "E", 1, 0},
        {"kk3", "Comb", Cut::Stop, "@k'oUm", "k", 1, 25},
        {"pp", "Pow", Cut::Stop, "@p'aU", "p", 1, 25},
        {"jh", "Dodge", Cut::Stop, "d'0dZ@", "dZ", 1, 10},
        {"nn1", "Thin", Cut::Steady, "T'In", "n", 1, 0},
        {"ih", "Sit", Cut::Steady, "s'It", "I", 1, 0},
        {"tt2", "To", Cut::Stop, "@t'u:", "t", 1, 25},
        {"rr1", "Rural", Cut::Steady, "r'U@r@L", "r", 1, 0},
        {"ax", "Succeed", Cut::Steady, "s@ks'i:d", "@", 1, 0},
        {"mm", "Milk", Cut::Steady, "m'Ilk", "m", 1, 0},
        {"tt1", "Part", Cut::Stop, "p'A@t", "t", 1, 0},
        {"dh1", "They", Cut::Steady, "D'eI", "D", 1, 0},
        {"iy", "See", Cut::Steady, "s'i:", "i:", 1, 0},
        {"ey", "Beige", Cut::Glide, "b'eIZ", "eI", 1, 0},
        {"dd1", "Could", Cut::Stop, "k'Ud@", "d", 1, 10},
        {"uw1", "To", Cut::Steady, "t'u:", "u:", 1, 0},
        {"ao", "Aught", Cut::Steady, "'O:t", "O:", 1, 0},
        {"aa", "Hot", Cut::Steady, "h'0t", "0", 1, 0},
        {"yy2", "Yes", Cut::Steady, "j'Es", "j", 1, 0},
        {"ae", "Hat", Cut::Steady, "h'at", "a", 1, 0},
        {"hh1", "He", Cut::Steady, "h'i:", "h", 1, 0},
        {"bb1", "Business", Cut::Stop, "@b'Izn@s", "b", 1, 20},
        {"th", "Thin", Cut::Steady, "T'In", "T", 1, 0},
        {"uh", "Book", Cut::Steady, "b'Uk", "U", 1, 0},
        {"uw2", "Food", Cut::Steady, "f'u:d", "u:", 1, 0},
        {"aw", "Out", Cut::Glide, "'aUt", "aU", 1, 0},
        {"dd2", "Do", Cut::Stop, "@d'u:", "d", 1, 25},
        {"gg3", "Wig", Cut::Stop, "w'Ig@", "g", 1, 10},
        {"vv", "Vest", Cut::Steady, "v'Est", "v", 1, 0},
        {"gg1", "Got", Cut::Stop, "@g'0t", "g", 1, 25},
        {"sh", "Ship", Cut::Steady, "SS'Ip", "S S", 1, 0},
        {"zh", "Azure", Cut::Steady, "'aZ3", "Z", 1, 0},
        {"rr2", "Brain", Cut::Steady, "br'eIn", "r", 1, 0},
        {"ff", "Food", Cut::Steady, "f'u:d", "f", 1, 0},
        {"kk2", "Sky", Cut::Stop, "sk'aI", "k", 1, 20},
        {"kk1", "Can't", Cut::Stop, "@k'ant", "k", 1, 25},
        {"zz", "Zoo", Cut::Steady, "z'u:", "z", 1, 0},
        {"ng", "Anchor", Cut::Steady, "'aNk3", "N", 1, 0},
        {"ll", "Lake", Cut::Steady, "l'eIk", "l", 1, 0},
        {"ww", "Wool", Cut::Steady, "w'Ul", "w", 1, 0},
        {"xr", "Repair", Cut::Glide, "rI#p'e@", "e@", 1, 0},
        {"wh", "Whig", Cut::Steady, "hw'Ig", "h w", 1, 0},
        {"yy1", "Yes", Cut::Steady, "j'Es", "j", 1, 0},
        {"ch", "Church", Cut::Stop, "tS'3:tS@", "tS", 2, 10},
        {"er1", "Fir", Cut::Steady, "f'3:", "3:", 1, 0},
        {"er2", "Fir", Cut::Steady, "f'3:", "3:", 1, 0},
        {"ow", "Beau", Cut::Glide, "b'oU", "oU", 1, 0},
        {"dh2", "They", Cut::Steady, "b'eIDD", "D D", 1, 0},
        {"ss", "Vest", Cut::Steady, "v'Est", "s", 1, 0},
        {"nn2", "No", Cut::Steady, "n'oU", "n", 1, 0},
        {"hh2", "Hoe", Cut::Steady, "hh'oU", "h h", 1, 0},
        {"or", "Store", Cut::Glide, "st'o@", "o@", 1, 0},
        {"ar", "Alarm", Cut::Glide, "a#l'A@m", "A@", 1, 0},
        {"yr", "Clear", Cut::Glide, "kl'i@3", "i@3", 1, 0},
        {"gg2", "Guest", Cut::Stop, "@g'Est", "g", 1, 25},
        {"el", "Saddle", Cut::Glide, "s'ad@L", "@L", 1, 0},
        {"bb2", "Business", Cut::Stop, "@b'Izn@s", "b", 1, 20},
    };
    return rows;
}

} // namespace tessary::samplegen
