#!/usr/bin/ruby
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders many documents to HTML in one process with the Ruby readers, as render.py does with the Python
# ones, each as soon as it is made: render.rb BATCH INPUT... INPUT is kramdown's "kramdown", or "GFM" (the
# input GitHub Pages uses), or "asciidoctor" for AsciiDoc: includes are not read (the secure mode), warnings
# go nowhere, and every run of white space is made one space.
require "asciidoctor"
require "kramdown"
require "kramdown-parser-gfm"
require "logger"

def render(text, input)
  if input == "asciidoctor"
    Asciidoctor::LoggerManager.logger = Logger.new(IO::NULL)
    Asciidoctor.convert(text, safe: :secure, standalone: false).split.join(" ")
  else
    # GitHub Pages reads GFM with a line end as a space, as Jekyll sets it.
    Kramdown::Document.new(text, input: input, hard_wrap: false).to_html
  end
rescue StandardError => e
  "error: #{e.class}"
end

batch = File.binread(ARGV[0])
inputs = ARGV[1..]
out = $stdout.binmode
at = 0
while at < batch.bytesize
  line_end = batch.index("\n", at)
  size = batch.byteslice(at, line_end - at).to_i
  text = batch.byteslice(line_end + 1, size).force_encoding("UTF-8").scrub
  at = line_end + 1 + size
  inputs.each do |input|
    html = render(text, input).b
    out.write("#{html.bytesize}\n", html)
  end
  out.flush # the test tells a reader that stalls by its output
end
