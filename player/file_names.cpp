#include "file_names.h"

#include <stdio.h>
#include <string.h>

#include "player_state.h"

namespace {

// The part of `path` after the last backslash, slash or drive colon.
const char* LastComponent(const char* path) {
    const char* name = path;
    for (const char* p = path; *p; ++p) {
        if (*p == '\\' || *p == '/' || *p == ':') {
            name = p + 1;
        }
    }
    return name;
}

// ASCII only: the process locale must not change the answers.
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// A token of the name, lower-cased; longer ones are not words of ours.
struct Token {
    char text[24];
};
const int kMaxTokens = 64;

// Splits name[0, n) at every character that is neither a letter nor a digit,
// keeping a point between two digits inside its number.
int Tokenize(const char* name, size_t n, Token* tokens) {
    int count = 0;
    size_t i = 0;
    while (i < n && count < kMaxTokens) {
        if (!IsLetter(name[i]) && !IsDigit(name[i])) {
            ++i;
            continue;
        }
        const size_t start = i;
        while (i < n &&
               (IsLetter(name[i]) || IsDigit(name[i]) ||
                (name[i] == '.' && i > start && IsDigit(name[i - 1]) && i + 1 < n && IsDigit(name[i + 1])))) {
            ++i;
        }
        if (i - start < sizeof tokens[0].text) {
            for (size_t k = start; k < i; ++k) {
                tokens[count].text[k - start] = Lower(name[k]);
            }
            tokens[count].text[i - start] = '\0';
            ++count;
        }
    }
    return count;
}

// Reads up to 5 digits at *p as a number; false when there are none or more.
bool ReadDigits(const char** p, uint32_t* value) {
    uint32_t v = 0;
    int digits = 0;
    while (IsDigit(**p)) {
        if (++digits > 5) {
            return false;
        }
        v = v * 10 + static_cast<uint32_t>(**p - '0');
        ++*p;
    }
    *value = v;
    return digits > 0;
}

// A decimal number at *p (digits, optionally a point and more digits),
// copied into `text`; false when there is none or it does not fit.
bool ReadRateNumber(const char** p, char* text, size_t size) {
    const char* start = *p;
    while (IsDigit(**p) || (**p == '.' && IsDigit((*p)[1]))) {
        ++*p;
    }
    const size_t n = static_cast<size_t>(*p - start);
    if (n == 0 || n >= size || !IsDigit(*start)) {
        return false;
    }
    memcpy(text, start, n);
    text[n] = '\0';
    return true;
}

// "1920x1080".
bool ReadSizeToken(const char* t, uint32_t* w, uint32_t* h) {
    return ReadDigits(&t, w) && *t++ == 'x' && ReadDigits(&t, h) && *t == '\0' && *w > 0 && *h > 0;
}

// "720p" and "1080p" (16:9), with an optional rate after the p ("1080p50").
bool ReadProgressiveToken(const char* t, uint32_t* w, uint32_t* h, char* rate, size_t size) {
    uint32_t lines;
    if (!ReadDigits(&t, &lines) || *t++ != 'p' || (lines != 720 && lines != 1080)) {
        return false;
    }
    rate[0] = '\0';
    if (*t != '\0' && (!ReadRateNumber(&t, rate, size) || *t != '\0')) {
        return false;
    }
    *w = lines == 720 ? 1280 : 1920;
    *h = lines;
    return true;
}

// "50fps", "29.97fps", "50hz"; with `bare`, a plain number of a likely rate
// too (over 0, at most 300).
bool ReadRateToken(const char* t, bool bare, char* text, size_t size) {
    if (!ReadRateNumber(&t, text, size)) {
        return false;
    }
    if (strcmp(t, "fps") == 0 || strcmp(t, "hz") == 0) {
        return true;
    }
    const char* p = text;
    uint32_t whole;
    return bare && *t == '\0' && ReadDigits(&p, &whole) && whole <= 300 && strspn(text, "0.") != strlen(text);
}

// "10bit", "10b" (also 8).
bool ReadDepthToken(const char* t, uint32_t* bits) {
    return ReadDigits(&t, bits) && (strcmp(t, "bit") == 0 || strcmp(t, "b") == 0) &&
           (*bits == 8 || IsDeepBits(*bits));
}

bool ReadLayoutToken(const char* t, NameSettings* s) {
    SequenceLayout layout;
    if (!LayoutForWord(t, &layout)) {
        return false;
    }
    s->type = layout.type;
    s->bits = layout.bits;
    s->packing = layout.packing;
    return true;
}

int PresetForWord(const char* t) {
    for (int i = 0; i < FRAME_PRESET_CUSTOM; ++i) {
        const char* label = FramePresets[i].label;
        size_t k = 0;
        while (label[k] && Lower(label[k]) == t[k]) {
            ++k;
        }
        if (!label[k] && !t[k]) {
            return i;
        }
    }
    return -1;
}

} // namespace

int ClassifyImageFile(const char* path) {
    if (!path) {
        return IMAGE_FILE_RAW;
    }
    const char* dot = strrchr(LastComponent(path), '.');
    if (!dot || strlen(dot) != 4) {
        return IMAGE_FILE_RAW;
    }
    char ext[5];
    for (int i = 0; i < 5; ++i) {
        ext[i] = Lower(dot[i]);
    }
    if (strcmp(ext, ".bmp") == 0 || strcmp(ext, ".dib") == 0) {
        return IMAGE_FILE_BMP;
    }
    if (strcmp(ext, ".mmp") == 0) {
        return IMAGE_FILE_MMP;
    }
    return IMAGE_FILE_RAW;
}

int ReadNameSettings(const char* path, NameSettings* s) {
    memset(s, 0, sizeof *s);
    s->preset = -1;
    if (!path) {
        return 0;
    }
    const char* name = LastComponent(path);
    const char* dot = strrchr(name, '.');
    const size_t n = dot ? static_cast<size_t>(dot - name) : strlen(name);
    Token tokens[kMaxTokens];
    const int count = Tokenize(name, n, tokens);

    uint32_t depth = 0;
    bool afterSize = false;   // the token before was a "WxH" size
    bool rateWasBare = false; // the rate came from a bare number
    for (int i = 0; i < count; ++i) {
        const char* t = tokens[i].text;
        const bool bareRate = afterSize;
        afterSize = false;
        uint32_t w, h, bits;
        char rate[sizeof s->rateText];
        NameSettings layout;
        if (ReadSizeToken(t, &w, &h)) {
            if (!s->hasSize) {
                s->hasSize = true;
                s->width = w;
                s->height = h;
            }
            afterSize = true;
        } else if (!s->hasSize && PresetForWord(t) >= 0) {
            s->hasSize = true;
            s->preset = PresetForWord(t);
            s->width = FramePresets[s->preset].width;
            s->height = FramePresets[s->preset].height;
        } else if (!s->hasSize && ReadProgressiveToken(t, &s->width, &s->height, rate, sizeof rate)) {
            s->hasSize = true;
            if (!s->hasRate && rate[0]) {
                s->hasRate = true;
                memcpy(s->rateText, rate, sizeof rate);
            }
        } else if (ReadLayoutToken(t, &layout)) {
            // Before the bare rate: "_1920x1080_420" names a layout.
            if (!s->hasLayout) {
                s->hasLayout = true;
                s->type = layout.type;
                s->bits = layout.bits;
                s->packing = layout.packing;
            }
        } else if (ReadRateToken(t, bareRate, rate, sizeof rate)) {
            // A rate written with its unit outweighs a bare number.
            const bool explicitRate = !bareRate || !IsDigit(t[strlen(t) - 1]);
            if (!s->hasRate || (rateWasBare && explicitRate)) {
                s->hasRate = true;
                rateWasBare = !explicitRate;
                memcpy(s->rateText, rate, sizeof rate);
            }
        } else if (!depth && ReadDepthToken(t, &bits)) {
            depth = bits;
        }
    }
    // A depth counts beside a planar sampling that was named without one.
    if (s->hasLayout && depth && s->packing == PACKING_PLANAR && s->bits == 8 && TakesDepth(s->type)) {
        s->bits = depth;
    }
    return s->hasSize || s->hasRate || s->hasLayout;
}

void DescribeNameSettings(const NameSettings& s, char* text, size_t size, const char* origin) {
    if (size == 0) {
        return;
    }
    text[0] = '\0';
    if (!s.hasSize && !s.hasRate && !s.hasLayout) {
        return;
    }
    char layout[32] = "";
    if (s.hasLayout) {
        DescribeLayout(SequenceLayout{s.type, s.bits, s.packing}, layout, sizeof layout);
    }
    char parts[3][40] = {"", "", ""};
    if (s.hasSize) {
        snprintf(parts[0], sizeof parts[0], "%ux%u", static_cast<unsigned>(s.width),
                 static_cast<unsigned>(s.height));
    }
    snprintf(parts[1], sizeof parts[1], "%s", layout);
    if (s.hasRate) {
        snprintf(parts[2], sizeof parts[2], "%s fps", s.rateText);
    }
    size_t used = static_cast<size_t>(snprintf(text, size, " ["));
    for (const char* part : parts) {
        if (part[0] && used < size) {
            used += static_cast<size_t>(snprintf(text + used, size - used, "%s%s", used > 2 ? ", " : "", part));
        }
    }
    if (used < size) {
        snprintf(text + used, size - used, " from %s]", origin);
    }
}
