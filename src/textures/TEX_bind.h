// The texture-binding cache: remembers per texture unit which texture and which
// environment mode were last set, so drawing code may bind before every quad
// without issuing redundant GL calls. Only correct while every bind goes through
// it; code that binds behind it must call TEX_reset_bind afterwards.
#pragma once

// Binds GL texture name `tex` on unit `unit` (0..7) with environment mode
// `multi_tex_mode`: 0 modulate; 24 leaves the environment alone. Issues only the
// calls whose cached value differs; a unit above 0 is selected and unit 0
// selected again afterwards.
void TEX_bind_ref(int tex, int unit, int multi_tex_mode);
// Forgets every unit's cached texture and mode.
void TEX_reset_bind();
