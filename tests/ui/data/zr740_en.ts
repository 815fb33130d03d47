<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<!-- A few texts of the window in English: the translation the language tests install. -->
<TS version="2.1" language="en" sourcelanguage="ru_RU">
<context>
    <name>zr740</name>
    <message>
        <source>&amp;Файл</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>Прочитать все параметры	Alt+R</source>
        <translation>Read all parameters	Alt+R</translation>
    </message>
    <message>
        <source>Прочитать все параметры из прибора
Прочитать</source>
        <translation>Read all parameters from the instrument
Read</translation>
    </message>
    <message>
        <source>Описание</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>Конфигуратор</source>
        <translation>Configurator</translation>
    </message>
    <message>
        <source>%1 из %2</source>
        <translation>%1 of %2</translation>
    </message>
</context>
</TS>
