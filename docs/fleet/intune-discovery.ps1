# Intune custom compliance: the discovery script. It runs vorlasched's /check with /json on the
# branch machine and prints the flat, compressed JSON that Intune compares with the rules of
# intune-rules.json (beside this file). Add the request switches of your branch to /check to
# also compare the maps with what /configure would write.
$program = 'C:\vorlasched\vorlasched.com'
[Console]::OutputEncoding = [Text.Encoding]::UTF8
$text = & $program /check /json 2>$null | Out-String
$exitCode = $LASTEXITCODE
$doc = $null
try { $doc = $text | ConvertFrom-Json } catch { }
if ($doc) {
    $codes = @($doc.problems | ForEach-Object { $_.code } | Sort-Object -Unique) -join ','
    $hash = @{
        VorlaCheckExitCode = [int64]$doc.exitCode
        VorlaProblemCount  = [int64]@($doc.problems).Count
        VorlaProblemCodes  = $(if ($codes) { $codes } else { 'none' })
        VorlaVersion       = [string]$doc.version
    }
} else {
    # No document: the program is missing or did not run.
    $hash = @{
        VorlaCheckExitCode = [int64]$(if ($null -ne $exitCode) { $exitCode } else { -1 })
        VorlaProblemCount  = [int64]-1
        VorlaProblemCodes  = 'no-answer'
        VorlaVersion       = '0.0.0.0'
    }
}
return $hash | ConvertTo-Json -Compress
