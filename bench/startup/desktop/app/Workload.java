package app;

import java.io.IOException;
import java.nio.file.Files;
import java.nio.file.Path;
import java.time.Duration;
import java.time.LocalDate;
import java.time.ZoneId;
import java.time.ZonedDateTime;
import java.time.format.DateTimeFormatter;
import java.util.List;
import java.util.Map;
import java.util.logging.Level;
import java.util.logging.Logger;
import java.util.regex.Matcher;
import java.util.regex.Pattern;
import java.util.stream.Collectors;

/**
 * The part of a desktop app's start that needs no window system: it reads
 * its settings, sets up logging, parses with regular expressions, sorts with
 * streams and formats dates. Run on its own, it is the app of the benchmark
 * under wine, whose Java runtime has no java.desktop module.
 */
public class Workload {
    static final Logger LOG = Logger.getLogger(Workload.class.getName());

    final Map<String, String> config;
    final String status;

    private Workload(Map<String, String> config, String status) {
        this.config = config;
        this.status = status;
    }

    public static void main(String[] args) throws IOException {
        System.exit(prepare().config.isEmpty() ? 1 : 0);
    }

    static Workload prepare() throws IOException {
        LOG.setLevel(Level.WARNING);
        Path settings = Files.createTempFile("desktop-bench", ".properties");
        Files.writeString(settings, "window.width=1024\nwindow.height=768\ntheme=light\nrecent=a.txt;b.txt;c.txt\n");
        Map<String, String> config = parseSettings(Files.readAllLines(settings));
        Files.delete(settings);
        LOG.info("settings: " + config);
        String today = ZonedDateTime.now(ZoneId.of("Europe/Paris")).format(DateTimeFormatter.ISO_OFFSET_DATE_TIME);
        LocalDate due = LocalDate.now().plus(Duration.ofDays(30).toDays(), java.time.temporal.ChronoUnit.DAYS);
        return new Workload(config, today + " / due " + due);
    }

    static Map<String, String> parseSettings(List<String> lines) {
        Pattern entry = Pattern.compile("^\\s*([\\w.]+)\\s*=\\s*(.*?)\\s*$");
        return lines.stream()
                .map(entry::matcher)
                .filter(Matcher::matches)
                .collect(Collectors.toMap(m -> m.group(1), m -> m.group(2)));
    }
}
