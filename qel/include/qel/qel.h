// Everything a program needs to use the toolkit. The index below lists every public header with
// the level or widget family it belongs to and the widgets and services it holds, so a widget's
// header follows from its name. The levels build on one another in this order; a family builds
// on the levels and on the families listed before it. The back ends (render, platform) are
// included by the programs that run a window, not by this header.
//
// level       header                      widgets and services
// core        qel/types.h                 rectangles, points, colours, the context handle
// core        qel/context.h               the context, allocator hooks, renderer and platform interfaces
// core        qel/arena.h                 the frame arena: strings and payloads for one frame
// core        qel/id.h                    ids from labels, the id stack
// core        qel/state.h                 per-id state, last frame's rectangles
// core        qel/input.h                 input intake, item interaction, focus, disabled scopes, drops
// core        qel/frame.h                 frame begin and end, redraw requests
// core        qel/anim.h                  springs and easing
// core        qel/color.h                 colour mathematics: OKLab, OKLCH, mixing, contrast
// core        qel/theme.h                 the theme palette, accents, palette tokens
// core        qel/draw.h                  the draw list, clips, transforms, drawing primitives
// core        qel/civil_date.h            calendar dates and day numbers
// text        qel/text_units.h            UTF-8 and label conventions
// text        qel/font.h                  fonts, font roles, the glyph walk
// text        qel/icons.h                 the icon font's icons by name (generated)
// text        qel/text.h                  measuring, wrapping and drawing text
// text        qel/text_edit.h             the editing model behind every text field
// layout      qel/layout.h                the layout tree: nodes, containers, overlays, scrolling state
// layout      qel/scroll_container.h      scroll containers and scroll areas
// kit         qel/widget_feel.h           hover, press and focus motion, focus rings, control sizes
// kit         qel/tooltip.h               hover tooltips
// foundation  qel/text_widgets.h          text, headings, icon glyphs, links, chips
// foundation  qel/button.h                buttons and icon buttons of every variant, spinners
// foundation  qel/canvas.h                canvases
// foundation  qel/textures.h              textures from pixels, PNG and JPEG files
// foundation  qel/split_pane.h            split panes
// editing     qel/text_input.h            text inputs, search box
// editing     qel/number_stepper.h        number stepper
// overlays    qel/popup.h                 popup layer: dropdowns, popovers, context menus
// overlays    qel/menu.h                  menu rows, separators, the searchable select
// overlays    qel/sheet.h                 dialogs and side sheets
// overlays    qel/toast.h                 toasts
// overlays    qel/date_picker.h           date picker, month and weekday names
// overlays    qel/color_picker.h          colour picker
// overlays    qel/command_palette.h       command palette
// basic       qel/check_controls.h        checkbox, switch, radio
// basic       qel/sliders.h               slider, range slider, star rating
// basic       qel/choice_controls.h       toggle chip, toggle group, segmented control, tab strip
// basic       qel/navigation.h            navigation list, breadcrumbs, pagination, steps
// basic       qel/shortcuts.h             key names, shortcut text, shortcut recorder
// basic       qel/drag_number.h           drag number
// basic       qel/toggle_cells.h          toggle cells (qel_code_input)
// basic       qel/theme_controls.h        theme switcher, theme toggle
// basic       qel/title_currency.h        editable title, currency field
// basic       qel/crossfade_buttons.h     confirm button, async button
// basic       qel/split_account.h         split button, account menu
// basic       qel/counter_chips.h         counter chips
// basic       qel/speed_dial.h            speed dial
// basic       qel/swipe_row.h             swipe row
// basic       qel/badges_avatars.h        badge, avatar, avatar group
// basic       qel/cards_progress.h        card, spinner, progress bar, skeleton
// basic       qel/display_blocks.h        alert, empty state, meter, image
// basic       qel/hover_cards.h           delayed tooltip, confirm popover
// basic       qel/expandables.h           show-more text, expandable card
// basic       qel/toc.h                   table of contents with scroll-spy
// basic       qel/notices.h               banner, countdown, onboarding checklist
// basic       qel/collapsibles.h          chevron, collapsing header, tree node
// basic       qel/lists.h                 list item, virtual list
// basic       qel/tables.h                table
// basic       qel/menubar.h               menu bar
// basic       qel/toolbar.h               toolbar with overflow
// basic       qel/statusbar.h             status bar
// basic       qel/tab_bar.h               tab bar
// basic       qel/form_widgets.h          radio cards, tag input, one-time code, password strength
// basic       qel/action_buttons.h        button group, copy button, press-and-hold button
// basic       qel/timeline_rings.h        timeline entry, progress ring
// basic       qel/sortable_list.h         sortable list
// pickers     qel/multi_select.h          multi-select
// pickers     qel/date_range_picker.h     date-range picker
// pickers     qel/time_pickers.h          time picker, wheel picker, clock picker
// pickers     qel/ruler_histogram.h       ruler dial, range histogram
// pickers     qel/signature_pad.h         signature pad
// pickers     qel/drop_zones.h            file drop zone, image drop zone
// pickers     qel/event_calendar.h        event calendar
// pickers     qel/schedule.h              week schedule
// pickers     qel/gantt_chart.h           Gantt chart
// pickers     qel/kanban_board.h          kanban board
// pickers     qel/form_layout.h           form layout
// pickers     qel/dir_list.h              folder listing, wildcards, paths
// pickers     qel/path_bar.h              path bar
// pickers     qel/file_browser.h          file browser
// pickers     qel/file_dialog.h           file dialog
// pickers     qel/data_table.h            data table
// pickers     qel/tree_view.h             tree view
// pickers     qel/filter_bar.h            filter bar
// charts      qel/chart_values.h          axis bounds, ticks and number texts of charts
// charts      qel/chart_frame.h           the chart frame: axes, legends, chart tooltips
// charts      qel/series_charts.h         line chart, bar chart
// charts      qel/stat_tiles.h            sparkline, stat tile
// charts      qel/gauge_ring.h            gauge ring
// charts      qel/donut_chart.h           donut chart
// charts      qel/heatmap.h               heatmap
// charts      qel/calendar_heatmap.h      calendar heatmap
// charts      qel/treemap.h               treemap
// charts      qel/waffle_chart.h          waffle chart
// charts      qel/segmented_bar.h         segmented bar
// charts      qel/bar_list.h              bar list
// charts      qel/progress_rings.h        progress rings
// charts      qel/funnel_chart.h          funnel chart
// charts      qel/radar_chart.h           radar chart
// charts      qel/gauge.h                 gauge
// charts      qel/bubble_chart.h          bubble chart
// charts      qel/sankey_chart.h          Sankey chart
// charts      qel/candlestick_chart.h     candlestick chart
// editors     qel/curve.h                 keyframe curves: keys, evaluation, key edits
// editors     qel/curve_editor.h          curve editor
// editors     qel/gradient.h              colour gradients: stops, evaluation, re-sort
// editors     qel/gradient_editor.h       gradient editor
// editors     qel/dock_layout.h           the dock layout model and its layout text
// editors     qel/dockspace.h             dockspace, dock panels, tab drag and drop
// editors     qel/animated_text.h         shimmer, stream, word-reveal, rotating-word, rolling-number, gradient text
// editors     qel/loader_glow_card.h      loader, glow card
// editors     qel/icon_dock.h             icon dock
// editors     qel/icon_nav_toggle.h       icon navigation bar, toggle tile
// editors     qel/stat_strip.h            stat strip, stat ticker
// editors     qel/carousel.h              carousel
// editors     qel/card_deck.h             card deck
// editors     qel/animated_number.h       animated number
// editors     qel/node_editor.h           node editor: canvas, nodes, pins, links, edit queues
// editors     qel/knob.h                  knob, the value mapping, keys and wheel it shares
// editors     qel/level_meter.h           level meter and its ballistics
// editors     qel/fader.h                 fader with marks and a built-in meter
// editors     qel/waveform_player.h       waveform seek bar, audio player card
// editors     qel/compare_slider.h        compare slider
// editors     qel/image_viewer.h          image viewer with zoom, fit and pan
// editors     qel/image_cropper.h         image cropper with aspect ratio and circle mode
// editors     qel/timeline_tracks.h       timeline tracks, keys and clips: rows, selection, key moves
// editors     qel/timeline.h              timeline widget, time and timecode texts
// editors     qel/tour.h                  guided tour
// rich        qel/bidi.h                  bidirectional text: embedding levels, visual order, mirroring
// rich        qel/shaper.h                OpenType shaping of a run of one script
// rich        qel/code.h                  code languages, the line tokenizer, syntax colours, highlighted lines
// rich        qel/code_block.h            code block
// rich        qel/code_doc.h              the code editor's text model
// rich        qel/code_editor.h           code editor
// rich        qel/json.h                  the JSON parser
// rich        qel/json_view.h             JSON tree view
// rich        qel/log.h                   the log buffer: newest lines in caller-owned rings
// rich        qel/log_view.h              log viewer
// rich        qel/terminal_buffer.h       the terminal buffer: scrollback and escape-sequence intake
// rich        qel/terminal.h              terminal
// rich        qel/markdown_inline.h       the Markdown inline parser: styled spans and links
// rich        qel/markdown.h              Markdown viewer, task write-back
// rich        qel/emoji.h                 colour-emoji font, emoji atlas, emoji drawing
// rich        qel/emoji_picker.h          emoji picker
// rich        qel/diff.h                  line and character diff of two texts
// rich        qel/diff_view.h             diff viewer
// rich        qel/hex_view.h              hex viewer
// rich        qel/flame_graph.h           flame graph
// rich        qel/assistant.h             reasoning block, tool card, plan, elapsed pill, sources, citations, context meter, message actions, suggestions, model selector, composer, orb
// rich        qel/chat.h                  chat message, day separator, typing indicator, comment, participants
// render      qel/soft_renderer.h         the software renderer
// platform    qel/app.h                   the application shell: window, renderer choice, frame pacing
// toolkit     qel/qel.h                   this header: every header above but the back ends
#pragma once

#include "qel/types.h"
#include "qel/context.h"
#include "qel/arena.h"
#include "qel/id.h"
#include "qel/state.h"
#include "qel/input.h"
#include "qel/frame.h"
#include "qel/anim.h"
#include "qel/color.h"
#include "qel/theme.h"
#include "qel/draw.h"
#include "qel/civil_date.h"
#include "qel/text_units.h"
#include "qel/font.h"
#include "qel/icons.h"
#include "qel/text.h"
#include "qel/text_edit.h"
#include "qel/layout.h"
#include "qel/scroll_container.h"
#include "qel/widget_feel.h"
#include "qel/tooltip.h"
#include "qel/text_widgets.h"
#include "qel/button.h"
#include "qel/canvas.h"
#include "qel/textures.h"
#include "qel/split_pane.h"
#include "qel/text_input.h"
#include "qel/number_stepper.h"
#include "qel/popup.h"
#include "qel/menu.h"
#include "qel/sheet.h"
#include "qel/toast.h"
#include "qel/date_picker.h"
#include "qel/color_picker.h"
#include "qel/command_palette.h"
#include "qel/check_controls.h"
#include "qel/sliders.h"
#include "qel/choice_controls.h"
#include "qel/navigation.h"
#include "qel/shortcuts.h"
#include "qel/drag_number.h"
#include "qel/toggle_cells.h"
#include "qel/theme_controls.h"
#include "qel/title_currency.h"
#include "qel/crossfade_buttons.h"
#include "qel/split_account.h"
#include "qel/counter_chips.h"
#include "qel/speed_dial.h"
#include "qel/swipe_row.h"
#include "qel/badges_avatars.h"
#include "qel/cards_progress.h"
#include "qel/display_blocks.h"
#include "qel/hover_cards.h"
#include "qel/expandables.h"
#include "qel/toc.h"
#include "qel/notices.h"
#include "qel/collapsibles.h"
#include "qel/lists.h"
#include "qel/tables.h"
#include "qel/menubar.h"
#include "qel/toolbar.h"
#include "qel/statusbar.h"
#include "qel/tab_bar.h"
#include "qel/form_widgets.h"
#include "qel/action_buttons.h"
#include "qel/timeline_rings.h"
#include "qel/sortable_list.h"
#include "qel/multi_select.h"
#include "qel/date_range_picker.h"
#include "qel/time_pickers.h"
#include "qel/ruler_histogram.h"
#include "qel/signature_pad.h"
#include "qel/drop_zones.h"
#include "qel/event_calendar.h"
#include "qel/schedule.h"
#include "qel/gantt_chart.h"
#include "qel/kanban_board.h"
#include "qel/form_layout.h"
#include "qel/dir_list.h"
#include "qel/path_bar.h"
#include "qel/file_browser.h"
#include "qel/file_dialog.h"
#include "qel/data_table.h"
#include "qel/tree_view.h"
#include "qel/filter_bar.h"
#include "qel/chart_values.h"
#include "qel/chart_frame.h"
#include "qel/series_charts.h"
#include "qel/stat_tiles.h"
#include "qel/gauge_ring.h"
#include "qel/donut_chart.h"
#include "qel/heatmap.h"
#include "qel/calendar_heatmap.h"
#include "qel/treemap.h"
#include "qel/waffle_chart.h"
#include "qel/segmented_bar.h"
#include "qel/bar_list.h"
#include "qel/progress_rings.h"
#include "qel/funnel_chart.h"
#include "qel/radar_chart.h"
#include "qel/gauge.h"
#include "qel/bubble_chart.h"
#include "qel/sankey_chart.h"
#include "qel/candlestick_chart.h"
#include "qel/curve.h"
#include "qel/curve_editor.h"
#include "qel/gradient.h"
#include "qel/gradient_editor.h"
#include "qel/dock_layout.h"
#include "qel/dockspace.h"
#include "qel/animated_text.h"
#include "qel/loader_glow_card.h"
#include "qel/icon_dock.h"
#include "qel/icon_nav_toggle.h"
#include "qel/stat_strip.h"
#include "qel/carousel.h"
#include "qel/card_deck.h"
#include "qel/animated_number.h"
#include "qel/node_editor.h"
#include "qel/knob.h"
#include "qel/level_meter.h"
#include "qel/fader.h"
#include "qel/waveform_player.h"
#include "qel/compare_slider.h"
#include "qel/image_viewer.h"
#include "qel/image_cropper.h"
#include "qel/timeline_tracks.h"
#include "qel/timeline.h"
#include "qel/tour.h"
#include "qel/bidi.h"
#include "qel/shaper.h"
#include "qel/code.h"
#include "qel/code_block.h"
#include "qel/code_doc.h"
#include "qel/code_editor.h"
#include "qel/json.h"
#include "qel/json_view.h"
#include "qel/log.h"
#include "qel/log_view.h"
#include "qel/terminal_buffer.h"
#include "qel/terminal.h"
#include "qel/markdown_inline.h"
#include "qel/markdown.h"
#include "qel/emoji.h"
#include "qel/emoji_picker.h"
#include "qel/diff.h"
#include "qel/diff_view.h"
#include "qel/hex_view.h"
#include "qel/flame_graph.h"
#include "qel/assistant.h"
#include "qel/chat.h"
