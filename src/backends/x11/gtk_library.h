// GTK 3, loaded when the settings dialog first opens. Linked normally, GTK
// and what it pulls in (GDK, GLib, Pango, cairo, HarfBuzz, ATK, ...) would
// be mapped and relocated at every start of every saver, about 6 MB
// resident, for a dialog most runs never show. The prototypes come from
// GTK's headers, so each entry of the table has the library's own type;
// type-checked casts are plain casts here (G_DISABLE_CAST_CHECKS), and a
// type test goes through the table's g_type_check_instance_is_a.
// Trade-off: once loaded, GTK stays for the life of the process (GLib
// cannot be unloaded), and a system without libgtk-3.so.0 learns it only
// when the dialog is asked for.
#pragma once

// After the framework's headers: GLib defines TRUE and FALSE as macros.
#define G_DISABLE_CAST_CHECKS 1
#include <glib-unix.h>
#include <gtk/gtk.h>

#define MOSVIK_GTK_FUNCTIONS(X)                                                \
  X(g_filename_display_name)                                                   \
  X(g_free)                                                                    \
  X(g_object_get_data)                                                         \
  X(g_object_set_data)                                                         \
  X(g_object_unref)                                                            \
  X(g_signal_connect_data)                                                     \
  X(g_source_remove)                                                           \
  X(g_type_check_instance_is_a)                                                \
  X(g_unix_fd_add)                                                             \
  X(g_utf8_validate)                                                           \
  X(gdk_pixbuf_get_pixels)                                                     \
  X(gdk_pixbuf_get_rowstride)                                                  \
  X(gdk_pixbuf_new)                                                            \
  X(gdk_pixbuf_scale_simple)                                                   \
  X(gtk_button_new_with_label)                                                 \
  X(gtk_button_new_with_mnemonic)                                              \
  X(gtk_check_button_get_type)                                                 \
  X(gtk_check_button_new_with_mnemonic)                                        \
  X(gtk_container_add)                                                         \
  X(gtk_container_set_border_width)                                            \
  X(gtk_dialog_response)                                                       \
  X(gtk_dialog_run)                                                            \
  X(gtk_disable_setlocale)                                                     \
  X(gtk_entry_get_text)                                                        \
  X(gtk_entry_get_type)                                                        \
  X(gtk_entry_new)                                                             \
  X(gtk_entry_set_activates_default)                                           \
  X(gtk_entry_set_text)                                                        \
  X(gtk_events_pending)                                                        \
  X(gtk_file_chooser_dialog_new)                                               \
  X(gtk_file_chooser_get_filename)                                             \
  X(gtk_file_chooser_set_current_folder)                                       \
  X(gtk_frame_new)                                                             \
  X(gtk_grid_attach)                                                           \
  X(gtk_grid_new)                                                              \
  X(gtk_grid_set_column_spacing)                                               \
  X(gtk_grid_set_row_spacing)                                                  \
  X(gtk_image_new_from_pixbuf)                                                 \
  X(gtk_init_check)                                                            \
  X(gtk_label_new)                                                             \
  X(gtk_label_set_xalign)                                                      \
  X(gtk_main_iteration)                                                        \
  X(gtk_radio_button_get_type)                                                 \
  X(gtk_radio_button_new_with_mnemonic)                                        \
  X(gtk_radio_button_new_with_mnemonic_from_widget)                            \
  X(gtk_range_get_value)                                                       \
  X(gtk_range_set_increments)                                                  \
  X(gtk_range_set_range)                                                       \
  X(gtk_range_set_round_digits)                                                \
  X(gtk_range_set_value)                                                       \
  X(gtk_scale_add_mark)                                                        \
  X(gtk_scale_clear_marks)                                                     \
  X(gtk_scale_new_with_range)                                                  \
  X(gtk_scale_set_draw_value)                                                  \
  X(gtk_toggle_button_get_active)                                              \
  X(gtk_toggle_button_get_type)                                                \
  X(gtk_toggle_button_set_active)                                              \
  X(gtk_widget_destroy)                                                        \
  X(gtk_widget_grab_focus)                                                     \
  X(gtk_widget_set_can_default)                                                \
  X(gtk_widget_set_halign)                                                     \
  X(gtk_widget_set_hexpand)                                                    \
  X(gtk_widget_set_margin_start)                                               \
  X(gtk_widget_set_sensitive)                                                  \
  X(gtk_widget_set_size_request)                                               \
  X(gtk_widget_set_valign)                                                     \
  X(gtk_widget_show_all)                                                       \
  X(gtk_window_new)                                                            \
  X(gtk_window_present)                                                        \
  X(gtk_window_set_default)                                                    \
  X(gtk_window_set_icon)                                                       \
  X(gtk_window_set_position)                                                   \
  X(gtk_window_set_resizable)                                                  \
  X(gtk_window_set_title)                                                      \
  X(gtk_window_set_type_hint)

struct GtkLibrary {
#define MOSVIK_GTK_MEMBER(name) decltype(&::name) name = nullptr;
  MOSVIK_GTK_FUNCTIONS(MOSVIK_GTK_MEMBER)
#undef MOSVIK_GTK_MEMBER
};

// The loaded library, loaded at the first call (thread-safe). Throws
// std::runtime_error when libgtk-3.so.0 or one of its functions is missing.
const GtkLibrary &Gtk();
