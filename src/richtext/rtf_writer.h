#pragma once
// The RTF writer, in the style of the classic Windows rich edit control:
//
//   {\rtf1\ansi\ansicpg1252\deff0\deflang2057{\fonttbl{\f0\fnil\fcharset0 Arial;}}
//   {\colortbl ;\red255\green0\blue0;}
//   \viewkind4\uc1\pard\f0\fs20 Hello\par
//   }
//
// Every paragraph ends with "\par" and CR LF. A run of text in one format is written as its
// characters with no markup inside it (a TAB as \tab, a line break as \line, a no-break space
// as \~), so a phrase within a run is found by a byte search of the stored page. Characters
// outside ASCII are written as \'hh where Windows-1252 has them, else as \uN?. Pictures are
// written as \pict\pngblip (or \jpegblip) in hex with their displayed size; links as
// HYPERLINK fields.

#include <string>

#include "richtext/document.h"

namespace jb::richtext {

struct WriteOptions {
    // The font of runs whose format names none, and the first entry of the font table.
    std::string defaultFont = "Arial";
};

std::string WriteRtf(const Document& doc, const WriteOptions& options = {});

}  // namespace jb::richtext
