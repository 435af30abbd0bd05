// Graph texts the reader must refuse, each with the code it must refuse it with. Shared by
// the reader's own tests, the tool's broken-file test (which saves each one as a graph
// file) and the fuzzer's seeds; a fault the fuzzer finds gets a row here.
#pragma once

#include <ostream>
#include <vector>

#include "GrfTestBytes.h"

struct CMalformedGraphText
{
    // Parameterised tests print the case by its name.
    friend void PrintTo(const CMalformedGraphText& c, std::ostream* pos) { *pos << c.m_pszName; }

    const char* m_pszName;  // an identifier: it also names test cases and files
    Bytes m_vecText;
    HRESULT m_hrExpected;
};

std::vector<CMalformedGraphText> MalformedGraphTexts();
