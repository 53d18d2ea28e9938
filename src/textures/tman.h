// The texture manager: owns every GL texture of the program. An image is
// registered from the shared scratch buffer under a fixed reference number
// (1..1130), which is also its GL texture name; afterwards drawing code binds it
// by that number. Registration validates the request, enlarges the texture to
// powers of two, uploads the pixels and sets filtering by reference.
#pragma once
#include <mutex>
#include <string>
#include <vector>

enum tex_load_time : unsigned char {
  tex_load_now = 100,
  tex_load_scenery = 101,
  tex_load_never = 102,  // also marks a free slot
};
enum tex_fail_mode : unsigned char {
  tex_fail_ignore = 0,
  tex_fail_warn_scene = 1,
  tex_fail_warn_plane = 2,
  tex_fail_warn_install = 3,
  tex_fail_quit = 4,
};
enum load_fail_status : unsigned char { status_okay = 0, status_fail = 1, status_mute = 2 };

const int tman_max_manual_ref = 1130;  // highest reference a caller may choose
const int tman_placeholder_ref = 925;  // GL name bound in place of a missing texture

// One reference of the table.
struct ref_dat_struct {
  std::string path = "un-inited";  // source given at registration; "un-inited" when free
  int ogl_num = 0;                 // GL name: the reference once uploaded, 0 before
  float tex_dx_vis = 0, tex_dy_vis = 0;  // used image size in texels
  float tex_dx_tot = 0, tex_dy_tot = 0;  // allocated size, powers of two
  int tex_vram = 0;                      // estimated bytes of video memory
  int tex_mode = 0;                      // GL pixel format of the data; 0 = free slot
  tex_load_time load_time = tex_load_never;  // tex_load_now once loaded
  int filter_type = 0;                       // filter bits given at registration
  tex_fail_mode required = tex_fail_quit;    // failure mode given at registration
  int ref_count = -1;                        // -1 for manual references and free slots
};

// One load request, as it passes from registration to upload.
struct tex_load_vars {
  tex_fail_mode require_tex = tex_fail_quit;
  int manual_ref = 0;
  int filter_type = 0;
  int show_init = 0;
  int rgb_type = 0;  // GL format of the pixels
  int pre_mip = 0;
  int bytes_per_pix = 0;
  int depth_change_ok = 0;
  int dx_vis = 0, dy_vis = 0, dx_tot = 0, dy_tot = 0;
  std::string path;
  const unsigned char* used_buf = nullptr;  // pixels to upload
};

class tman_class {
 public:
  tman_class();

  int lowest_unloaded = 0;   // unused here
  int loaded_texes_ctr = 0;  // textures resident
  int total_texes_ctr = 0;   // references in use
  std::vector<ref_dat_struct> ref_dat;  // indexed by reference number
  load_fail_status scene_load_fail = status_okay, plane_load_fail = status_okay,
                   instl_load_fail = status_okay;
  void* async_load_vars = nullptr;
  int async_load_src = 0;
  void* async_load_func = nullptr;
  std::recursive_mutex lock;  // guards ref_dat

  // Registers and uploads the image waiting in the scratch buffer (a path starting
  // "scratch_array"; its size is scratch_dx x scratch_dy, RGBA, bottom row first)
  // under `manual_ref`. Returns the reference, or 0 for an empty path or a source
  // it cannot read. A load time outside 100..102, a reference outside 0..1130, a
  // filter outside 0..16383, colour bits 0, or a size outside 1..2048 is a fatal alert.
  int load_texture(tex_fail_mode require_tex, int manual_ref, int filter_type,
                   tex_load_time load_time, const std::string& path);
  // Makes `ref` current on texture unit `unit` with environment mode `multi_tex_mode`
  // (0 modulate) through the binding cache. A reference that is not resident binds
  // the placeholder name 925 and raises the alert "missing non-scenery texture - how?".
  void bind_ref(int ref, int unit, int multi_tex_mode);
  // The path registered for `ref` ("" outside the table).
  std::string get_path(int ref);
  // Forgets the binding cache (after code that bound textures behind it).
  void reset_bind();

  // The steps of a load, in order; each returns 0 on failure.
  int load_texture_int(tex_load_vars& v);
  int load_texture_io(tex_load_vars& v);
  int load_texture_ogl(tex_load_vars& v);
  // Visible and total sizes of the request (full resolution, totals rounded up to
  // powers of two).
  void TEX_get_scale(tex_load_vars& v);
  // Takes the image waiting in the scratch buffer as the source of the request.
  int load_buf_into_scratch(tex_load_vars& v);

  // Validators: each raises a fatal alert naming the path and the value.
  void check_dxy(float v, const std::string& path);
  void check_manual_ref(int v, const std::string& path);
  void check_load_time(int v, const std::string& path);
  void check_filter_type(int v, const std::string& path);
};

extern tman_class tman;  // every GL texture of the program (textures)

// Nominal size of the image waiting in scratch_array, set by whoever put it there.
extern int scratch_dx, scratch_dy;

// The GL minification and magnification filter for a reference: GL_NEAREST for
// the pixel-exact sheets (388, 415, 421 to 438), GL_LINEAR for the rest.
int TEX_filter_for_ref(int ref);
// The smallest power of two not below v (v >= 1).
int TEX_pow2_above(int v);
