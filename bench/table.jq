# The table of docs/performance.md from the benchmark's JSON; exits with 1 when an
# interaction did not do what it should.
def fig: if . == null then "-" elif . >= 100 then round elif . >= 10 then (. * 10 | round) / 10
         else (. * 100 | round) / 100 end | tostring;
def value: .peak_MB // .real_time;
def target: [if .max_ms then "≤ \(.max_ms) ms" else empty end,
             if .max_MB then "≤ \(.max_MB) MB" else empty end,
             if .max_x_floor then "≤ \(.max_x_floor)x floor" else empty end,
             if .max_x_floor_above_frame then "≤ \(.max_x_floor_above_frame)x floor if > 16 ms"
             else empty end] | if length == 0 then "-" else join("; ") end;
def met: target as $target | value as $m | .floor_ms as $floor
         | [((.max_ms, .max_MB) // empty | select($m > .)),
            (.max_x_floor // empty | select($m > . * $floor)),
            (.max_x_floor_above_frame // empty | select($m > 16 and $m > . * $floor))]
         | if $target == "-" then "-" elif length == 0 then "yes" else "no" end;
(.benchmarks | map(select(.aggregate_name == "stddev")) | INDEX(.run_name)) as $spread
| "\(.context.date), \(.context.num_cpus) CPUs, load \(.context.load_avg | map(fig) | join(" "))",
  "| interaction | records | median | stddev | floor | x floor | target | met |",
  "| --- | ---: | ---: | ---: | ---: | ---: | --- | --- |",
  (.benchmarks[] | select(.aggregate_name == "median" or .repetitions == 1 and .error_occurred != true)
   | (.run_name | split("/")) as $name | ($name | index(map(select(test("^[0-9]+$")))[0])) as $at
   | .floor_ms as $floor
   | "| \($name[:$at] | join(" ")) | \($name[$at]) | \(value | fig) \(if .peak_MB then "MB" else "ms" end) "
     + "| \($spread[.run_name] | if . then value else null end | fig) | \($floor | fig) "
     + "| \(if $floor then (value / $floor | fig) + "x" else "-" end) | \(target) | \(met) |"),
  (.benchmarks[] | select(.error_occurred) | "FAILED \(.name): \(.error_message)"),
  (if any(.benchmarks[]; .error_occurred) then "an interaction failed\n" | halt_error(1) else empty end)
