// Conversion between DirectShow media types and their saved form.
#pragma once

#include "DShowTypes.h"
#include "GrfGraphDesc.h"

void MediaTypeToDesc(const AM_MEDIA_TYPE& mt, CGrfMediaTypeDesc& desc);

// The result points into desc's format bytes: valid while desc lives and is unchanged.
AM_MEDIA_TYPE MediaTypeFromDesc(const CGrfMediaTypeDesc& desc);

// Frees what a media type handed out by a pin or filter owns (not the struct itself).
void FreeMediaTypeFields(AM_MEDIA_TYPE& mt);
